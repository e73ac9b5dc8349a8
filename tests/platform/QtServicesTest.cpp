#include "platform/QtServices.h"
#include "platform/QtExportDialogs.h"

#include <QApplication>
#include <QAbstractItemView>
#include <QColorDialog>
#include <QCompleter>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <QFileSystemModel>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

#include <sys/stat.h>

#include <QTest>

#include <gtest/gtest.h>

namespace {

// Runs `act` on the first modal dialog of type T once it is up.
template <typename T>
void whenModal(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog) {
            whenModal<T>(act);
            return;
        }
        act(dialog);
    });
}

TEST(QtFilter, PipeSeparatedListBecomesQtsForm)
{
    struct Case {
        const char* piped;
        const char* qt;
    };
    const Case cases[] = {
        {"All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp",
         "All Files (*);;JPG Files (*.jpg);;GIF Files (*.gif);;BMP Files (*.bmp)"},
        {"Everything|*.*", "Everything (*)"},   // names without a dot are files too
        {"Bitmap|*.bmp", "Bitmap (*.bmp)"},
        {"Pictures|*.bmp;*.jpg; *.gif", "Pictures (*.bmp *.jpg *.gif)"},
        {"(*.bmp)|*.bmp", "(*.bmp)"},
        {"|*.bmp", "(*.bmp)"},
        {"Bitmap|*.bmp|Dangling", "Bitmap (*.bmp)"},
        {"Empty|", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lh::qtFilterFromPipeList(QString::fromUtf8(c.piped)), QString::fromUtf8(c.qt)) << c.piped;
}

TEST(QtColour, ValueAndQColorRoundTrip)
{
    EXPECT_EQ(lh::colorFromRgb(0x7B15D7), QColor(0xD7, 0x15, 0x7B));
    EXPECT_EQ(lh::rgbFromColor(QColor(0xD7, 0x15, 0x7B)), lh::Rgb(0x7B15D7));
    EXPECT_EQ(lh::rgbFromColor(QColor(255, 0, 0, 10)), lh::Rgb(255));
}

TEST(QtMessageBoxes, AskAnswersYesOnlyForYes)
{
    lh::QtMessageBoxes boxes;
    QString title, text;
    whenModal<QMessageBox>([&](QMessageBox* b) {
        title = b->windowTitle();
        text = b->text();
        b->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(boxes.ask(nullptr, QStringLiteral("覆盖吗?"), QStringLiteral("询问")));
    EXPECT_EQ(title, QStringLiteral("询问"));
    EXPECT_EQ(text, QStringLiteral("覆盖吗?"));

    whenModal<QMessageBox>([](QMessageBox* b) { b->button(QMessageBox::No)->click(); });
    EXPECT_FALSE(boxes.ask(nullptr, QStringLiteral("覆盖吗?"), QStringLiteral("询问")));

    // Enter takes the default button: Yes unless the question asks for No;
    // Escape answers No.
    const struct Case {
        lh::MessageBoxes::Default byDefault;
        int key;
        bool answer;
    } keys[] = {
        {lh::MessageBoxes::Default::Yes, Qt::Key_Return, true},
        {lh::MessageBoxes::Default::No, Qt::Key_Return, false},
        {lh::MessageBoxes::Default::Yes, Qt::Key_Escape, false},
        {lh::MessageBoxes::Default::No, Qt::Key_Escape, false},
    };
    for (const Case& c : keys) {
        whenModal<QMessageBox>([&](QMessageBox* b) { QTest::keyClick(b, static_cast<Qt::Key>(c.key)); });
        EXPECT_EQ(boxes.ask(nullptr, QStringLiteral("删除吗?"), QStringLiteral("询问"), c.byDefault), c.answer)
            << static_cast<int>(c.byDefault) << " " << c.key;
    }

    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    whenModal<QMessageBox>([&](QMessageBox* b) {
        icon = b->icon();
        buttons = b->standardButtons();
        b->button(QMessageBox::Ok)->click();
    });
    boxes.inform(nullptr, QStringLiteral("注意"), QStringLiteral("蓝禾提示"), lh::MessageIcon::Exclamation);
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(QtDialogs, CancelGivesNothingAndAcceptGivesTheChoice)
{
    lh::QtFontColorDialogs fontColor;
    whenModal<QColorDialog>([](QColorDialog* d) { d->reject(); });
    EXPECT_FALSE(fontColor.chooseColor(nullptr, 255).has_value());

    whenModal<QColorDialog>([](QColorDialog* d) {
        d->setCurrentColor(QColor(0, 128, 255));
        d->accept();
    });
    EXPECT_EQ(fontColor.chooseColor(nullptr, 255), std::optional<lh::Rgb>(lh::rgb(0, 128, 255)));

    whenModal<QFontDialog>([](QFontDialog* d) { d->reject(); });
    EXPECT_FALSE(fontColor.chooseFont(nullptr, {QStringLiteral("Liberation Sans"), 12}).has_value());

    whenModal<QFontDialog>([](QFontDialog* d) {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPointSizeF(20);
        f.setBold(true);
        d->setCurrentFont(f);
        d->accept();
    });
    const auto font = fontColor.chooseFont(nullptr, {QStringLiteral("Liberation Sans"), 12});
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->face, QStringLiteral("Liberation Sans"));
    EXPECT_FLOAT_EQ(font->size, 20.0f);
}

TEST(QtDialogs, OpenDialogShowsTheConvertedFilterAndReturnsTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("photo.jpg"));
    QFile(file).open(QIODevice::WriteOnly);

    lh::QtFileDialogs files;
    QStringList filters;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        filters = d->nameFilters();
        d->selectFile(file);
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto chosen = files.openFile(nullptr, QStringLiteral("打开"),
                                       QStringLiteral("JPG Files (*.jpg)|*.jpg|BMP Files (*.bmp)|*.bmp"), dir.path());
    EXPECT_EQ(filters, QStringList({QStringLiteral("JPG Files (*.jpg)"), QStringLiteral("BMP Files (*.bmp)")}));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, file);

    whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(files.openFile(nullptr, QString(), QStringLiteral("All|*.*"), dir.path()).has_value());

    bool confirms = true;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        confirms = !d->testOption(QFileDialog::DontConfirmOverwrite);
        d->reject();
    });
    EXPECT_FALSE(files.saveFile(nullptr, QString(), QStringLiteral("BMP|*.bmp"), dir.path(), false).has_value());
    EXPECT_FALSE(confirms);
}

}   // namespace

TEST(QtExportDialogs, OfferTheInitialChoiceAndReturnWhatWasSet)
{
    lh::QtExportDialogs dialogs;
    whenModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->findChild<QComboBox*>(QStringLiteral("scale"))->currentData().toInt(), 4);
        EXPECT_EQ(d->findChild<QSpinBox*>(QStringLiteral("resolution"))->value(), 300);
        d->reject();
    });
    EXPECT_FALSE(dialogs.askExport(nullptr, lh::ExportChoice{}).has_value());

    whenModal<QDialog>([](QDialog* d) {
        auto* scale = d->findChild<QComboBox*>(QStringLiteral("scale"));
        scale->setCurrentIndex(scale->findData(8));
        d->findChild<QSpinBox*>(QStringLiteral("resolution"))->setValue(600);
        d->findChild<QLineEdit*>(QStringLiteral("file"))->setText(QStringLiteral("/tmp/design"));
        d->accept();
    });
    const auto chosen = dialogs.askExport(nullptr, lh::ExportChoice{});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->scale, 8);
    EXPECT_EQ(chosen->dotsPerInch, 600);
    EXPECT_EQ(chosen->file, QStringLiteral("/tmp/design"));   // as typed: the export adds the extension

    whenModal<QDialog>([](QDialog* d) {
        EXPECT_EQ(d->findChild<QSpinBox*>(QStringLiteral("category"))->value(), 7);
        d->findChild<QSpinBox*>(QStringLiteral("count"))->setValue(25);
        d->findChild<QLineEdit*>(QStringLiteral("folder"))->setText(QStringLiteral("/tmp"));
        d->accept();
    });
    lh::BatchChoice initial;
    initial.category = 7;
    const auto batch = dialogs.askBatch(nullptr, initial);
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(batch->category, 7);
    EXPECT_EQ(batch->count, 25);
    EXPECT_EQ(batch->scale, 2);
    EXPECT_EQ(batch->folder, QStringLiteral("/tmp"));

    // A progress that nobody cancels says so; a cancelled one too.
    auto progress = dialogs.startProgress(nullptr, QStringLiteral("导出"), 3);
    progress->setValue(1);
    EXPECT_FALSE(progress->cancelled());
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w))
            dialog = p;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->value(), dialog->maximum() / 3);   // one step of three
    EXPECT_EQ(dialog->minimumDuration(), 500);   // shown once the task has run half a second
    dialog->cancel();
    EXPECT_TRUE(progress->cancelled());
}

namespace {

// Ends the test program if the calls in its scope take longer than a minute:
// a file dialog stuck reading a file never comes back on its own.
class Watchdog {
public:
    explicit Watchdog(const char* what)
        : thread_([this, what] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, std::chrono::seconds(60), [this] { return finished_; })) {
                  std::fprintf(stderr, "watchdog: %s did not come back\n", what);
                  std::abort();
              }
          })
    {}
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// Shows /proc in the dialog's detailed view, every listed row's icon and
// type painted, then closes the dialog; the rows listed.
int showProcAndClose(QFileDialog* d)
{
    auto* model = d->findChild<QFileSystemModel*>();
    EXPECT_NE(model, nullptr);
    int listed = 0;
    if (model) {
        d->setViewMode(QFileDialog::Detail);
        d->setDirectory(QStringLiteral("/proc"));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                listed = model->rowCount(model->index(QStringLiteral("/proc")));
                return listed >= 10;
            },
            20000));
        d->resize(900, 3000);
        d->grab();
    }
    QMetaObject::invokeMethod(d, "reject");
    return listed;
}

}   // namespace

TEST(QtFileDialogs, ListingAFolderNeverReadsItsFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pipe = dir.filePath(QStringLiteral("pipe.bmp"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QFile plain(dir.filePath(QStringLiteral("plain.bmp")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("BM");
    plain.close();

    // Types and icons by name: a pipe (no writer: reading it blocks) and,
    // where the program may read it, the kernel's message file.
    {
        Watchdog watchdog("the icon provider");
        lh::NameOnlyIconProvider icons;
        for (const QString& path : {pipe, QStringLiteral("/proc/kmsg"), plain.fileName(), dir.path()}) {
            const QFileInfo info(path);
            EXPECT_FALSE(icons.type(info).isEmpty()) << path.toStdString();
            icons.icon(info);
        }
        EXPECT_EQ(icons.type(QFileInfo(dir.path())), QStringLiteral("文件夹"));
        EXPECT_EQ(icons.type(QFileInfo(pipe)), QStringLiteral("特殊文件"));
    }

    // The open dialog, typed into /proc (where a file blocks whoever reads
    // it), lists it, shows it and comes back.
    lh::QtFileDialogs dialogs;
    int listed = 0;
    whenModal<QFileDialog>([&](QFileDialog* d) { listed = showProcAndClose(d); });
    {
        Watchdog watchdog("the open dialog in /proc");
        EXPECT_FALSE(
            dialogs.openFile(nullptr, QStringLiteral("打开"), QStringLiteral("All Files (*.*)|*.*"), dir.path()).has_value());
    }
    EXPECT_GE(listed, 10);
}

TEST(QtFileDialogs, NeverStartInAPseudoFileSystemAndASavedNameIsTheNameAsTyped)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        QString wanted;
        QString start;
    } cases[] = {
        {QStringLiteral("/proc"), lh::programDirectory()},
        {QStringLiteral("/proc/self/fd"), lh::programDirectory()},
        {QStringLiteral("/sys/kernel"), lh::programDirectory()},
        {QStringLiteral("/dev/shm"), lh::programDirectory()},
        {dir.path(), dir.path()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lh::dialogStartFolder(c.wanted), c.start) << c.wanted.toStdString();

    lh::QtFileDialogs dialogs;
    QString startedIn;
    whenModal<QFileDialog>([&](QFileDialog* d) {
        startedIn = d->directory().absolutePath();
        d->setDirectory(dir.path());
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("\"dq\" name.bmp"));
        QMetaObject::invokeMethod(d, "accept");
    });
    const auto saved =
        dialogs.saveFile(nullptr, QStringLiteral("保存"), QStringLiteral("BMP Files (*.bmp)|*.bmp"), QStringLiteral("/proc"), false);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(startedIn, QDir(lh::programDirectory()).absolutePath());
    EXPECT_EQ(*saved, QDir(dir.path()).filePath(QStringLiteral("\"dq\" name.bmp")));
}

// "浏览…" of the export, batch and gallery export dialogs opens the program's
// own dialog: typed into /proc (where a file blocks whoever reads it), it
// lists the folder, shows it and comes back. A relative path in the line
// starts the dialog in the program folder.
TEST(QtExportDialogs, BrowsingTypedIntoProcComesBack)
{
    lh::QtExportDialogs dialogs;
    const struct Case {
        const char* what;
        QString title;   // of the dialog "浏览…" opens
        QString line;    // the path's line
        std::function<void()> ask;
    } cases[] = {
        {"the design export", QStringLiteral("导出为"), QStringLiteral("file"),
         [&] { EXPECT_FALSE(dialogs.askExport(nullptr, lh::ExportChoice{}).has_value()); }},
        {"the batch", QStringLiteral("导出到"), QStringLiteral("folder"),
         [&] { EXPECT_FALSE(dialogs.askBatch(nullptr, lh::BatchChoice{}).has_value()); }},
        {"the gallery's export", QStringLiteral("导出到"), QStringLiteral("folder"),
         [&] { EXPECT_FALSE(dialogs.askFolderExport(nullptr, lh::FolderExportChoice{}, 3).has_value()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString title, startedIn;
        int listed = 0;
        whenModal<QDialog>([&](QDialog* d) {
            auto* line = d->findChild<QLineEdit*>(c.line);
            ASSERT_NE(line, nullptr);
            line->setText(QStringLiteral("design"));
            whenModal<QFileDialog>([&](QFileDialog* f) {
                title = f->windowTitle();
                startedIn = f->directory().absolutePath();
                auto* edit = f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                ASSERT_NE(edit, nullptr);
                // Typed (again should the dialog fill its line in meanwhile):
                // the completer offers what /proc holds, with icons.
                auto* completer = edit->completer();
                ASSERT_NE(completer, nullptr);
                EXPECT_TRUE(QTest::qWaitFor(
                    [&] {
                        edit->selectAll();
                        QTest::keyClicks(edit, QStringLiteral("/proc/"));
                        return completer->completionCount() >= 10;
                    },
                    20000));
                completer->complete();
                completer->popup()->resize(400, 3000);
                completer->popup()->grab();
                listed = showProcAndClose(f);
            });
            auto* browse = d->findChild<QPushButton*>(QStringLiteral("browse"));
            ASSERT_NE(browse, nullptr);
            browse->click();
            QMetaObject::invokeMethod(d, "reject");
        });
        {
            Watchdog watchdog(c.what);
            c.ask();
        }
        EXPECT_EQ(title, c.title);
        EXPECT_GE(listed, 10);
        // "design" (a relative path) is taken in the program folder.
        EXPECT_EQ(startedIn, QDir(lh::programDirectory()).absolutePath());
    }
}
