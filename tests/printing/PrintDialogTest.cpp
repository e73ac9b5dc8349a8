// The print layout dialog as a user meets it: where a print goes ("PDF 文件"
// only into the named file, a printer only to the printer, with printers on
// the machine and without), its notes and preview, its keys, the questions
// and refusals before anything is written, and failures said with their
// reasons while an older file of the name stays whole.

#include "printing/PrintLayoutDialog.h"

#include "Fakes.h"
#include "FullDisk.h"
#include "PdfPages.h"
#include "TestImages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QShortcut>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>

using namespace lh;
using namespace lh::printing;

namespace {

const QString kPdfChoice = QStringLiteral("PDF 文件");
const QStringList kTwoPrinters{QStringLiteral("办公室"), QStringLiteral("家里")};

using test::readFileBytes;
using test::writeFileBytes;

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void choose(PrintLayoutDialog& dialog, const QString& destination)
{
    auto* box = dialog.findChild<QComboBox*>(QStringLiteral("cboPrinter"));
    ASSERT_NE(box, nullptr);
    const int at = box->findText(destination);
    ASSERT_GE(at, 0) << destination.toStdString();
    box->setCurrentIndex(at);
}

QString noteOf(const PrintLayoutDialog& dialog)
{
    return dialog.findChild<QLabel*>(QStringLiteral("lblNote"))->text();
}

// Pixels of the preview in the picture's colours (red well above blue).
int picturePixels(QWidget* preview)
{
    const QImage shot = preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (qRed(shot.pixel(x, y)) - qBlue(shot.pixel(x, y)) > 60)
                ++count;
    return count;
}

class PrintDialog : public ::testing::Test {
protected:
    QString at(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    test::FakeServices fakes;
    PicturePrintSource source{test::gradient(857, 857)};
};

}   // namespace

// With printers on the machine Qt would put a PDF printer with an emptied
// file name back on the default printer: "PDF 文件" must ask for the name and
// write that file only, and a printer must get the job and no file be written.
TEST_F(PrintDialog, APdfGoesOnlyIntoItsFileAndAPrinterNeverWritesOne)
{
    const struct Case {
        const char* what;
        QStringList printers;
        QString destination;
    } cases[] = {
        {"printers, PDF", kTwoPrinters, kPdfChoice},
        {"printers, the default one", kTwoPrinters, QStringLiteral("办公室")},
        {"printers, another one", kTwoPrinters, QStringLiteral("家里")},
        {"no printer, PDF", {}, kPdfChoice},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        const QString spool = at(QStringLiteral("spool%1").arg(++n));
        ASSERT_TRUE(QDir().mkpath(spool));
        services.printer.names = c.printers;
        services.printer.spool = spool;
        const QString out = at(QStringLiteral("out%1").arg(n));
        services.files.saveAnswers.push_back(out);
        PrintLayoutDialog dialog(services.services, source);
        auto* box = dialog.findChild<QComboBox*>(QStringLiteral("cboPrinter"));
        EXPECT_EQ(box->itemText(0), c.printers.value(0, kPdfChoice));   // the default one first
        choose(dialog, c.destination);
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(services.messages.messages.empty()) << services.messages.texts().join(u'|').toStdString();
        if (c.destination == kPdfChoice) {
            ASSERT_EQ(services.files.saveCalls.size(), 1u);
            EXPECT_EQ(test::pdfPageCount(out + QStringLiteral(".pdf")), 1);
            EXPECT_TRUE(services.printer.jobs.isEmpty());
            EXPECT_TRUE(filesIn(spool).isEmpty());
        } else {
            EXPECT_TRUE(services.files.saveCalls.empty());
            EXPECT_EQ(services.printer.jobs, QStringList{c.destination});
            EXPECT_EQ(filesIn(spool), QStringList{QStringLiteral("job1.pdf")});
            EXPECT_EQ(test::pdfPageCount(spool + QStringLiteral("/job1.pdf")), 1);
            EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral(".pdf")));
        }
    }
}

// The note under the form says the printed size and the page count (and that
// the machine has no printer) once the preview has painted; a size that does
// not fit says why and the preview shows that nothing will print.
TEST_F(PrintDialog, NotesStayAndAnInvalidSizeShowsThatNothingWillPrint)
{
    const struct Case {
        const char* what;
        QStringList printers;
    } cases[] = {{"no printer", {}}, {"printers", kTwoPrinters}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes.printer.names = c.printers;
        PrintLayoutDialog dialog(fakes.services, source);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        dialog.preview()->updatePreview();
        EXPECT_TRUE(noteOf(dialog).startsWith(QStringLiteral("打印 19.0 × 19.0 厘米，1 页。"))) << noteOf(dialog).toStdString();
        EXPECT_EQ(noteOf(dialog).contains(QStringLiteral("本机没有打印机，可以打印成 PDF 文件。")), c.printers.isEmpty());
        EXPECT_GT(picturePixels(dialog.preview()), 1000);

        dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnWidth"))->setValue(40);
        dialog.preview()->updatePreview();
        EXPECT_TRUE(noteOf(dialog).contains(QStringLiteral("放不进"))) << noteOf(dialog).toStdString();
        EXPECT_EQ(dialog.preview()->pageCount(), 1);
        EXPECT_EQ(picturePixels(dialog.preview()), 0);

        dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnWidth"))->setValue(12);
        dialog.preview()->updatePreview();
        EXPECT_TRUE(noteOf(dialog).startsWith(QStringLiteral("打印 12.0 × 12.0 厘米，1 页。"))) << noteOf(dialog).toStdString();
        EXPECT_GT(picturePixels(dialog.preview()), 100);
    }
}

// Tab walks the form from top to bottom, then the buttons and the preview;
// the copies are skipped where they cannot be chosen (a PDF holds one).
TEST_F(PrintDialog, TabFollowsTheFormFromTopToBottom)
{
    const struct Case {
        const char* what;
        QStringList printers;
        QStringList order;
    } cases[] = {
        {"a printer",
         kTwoPrinters,
         {"spnPagesAcross", "cboPrinter", "cboPaper", "cboOrientation", "cboPosition", "spnMargin", "spnCopies",
          "cmdPrint", "cmdCancel", "preview"}},
        {"PDF",
         {},
         {"spnPagesAcross", "cboPrinter", "cboPaper", "cboOrientation", "cboPosition", "spnMargin", "cmdPrint",
          "cmdCancel", "preview"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes.printer.names = c.printers;
        PrintLayoutDialog dialog(fakes.services, source);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("spnWidth"));
        QStringList walked;
        for (qsizetype i = 0; i < c.order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            walked << (dialog.preview()->isAncestorOf(focus) || focus == dialog.preview() ? QStringLiteral("preview")
                                                                                           : focus->objectName());
        }
        EXPECT_EQ(walked, c.order);
    }
}

// F1 opens the key help as in every other window, listing this dialog's keys.
TEST_F(PrintDialog, F1OpensTheHelpOfTheDialogsKeys)
{
    PrintLayoutDialog dialog(fakes.services, source);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QString title, keys;
    bool closed = false;
    QTimer::singleShot(0, [&] {
        if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 10000))
            return;
        QWidget* help = QApplication::activeModalWidget();
        title = help->windowTitle();
        if (auto* label = help->findChild<QLabel*>(QStringLiteral("lblKeys")))
            keys = label->text();
        QTest::keyClick(help, Qt::Key_Escape);
        closed = QTest::qWaitFor([&help] { return !help->isVisible(); }, 5000);
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_EQ(title, QStringLiteral("蓝禾快捷键"));
    for (const char* listed : {"Tab", "Enter", "Escape", "F1"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(listed))) << listed;
    // Not the designer windows' keys: they do nothing here.
    for (const char* absent : {"Ctrl+E", "Ctrl+D", "Ctrl+G"})
        EXPECT_FALSE(keys.contains(QString::fromLatin1(absent))) << absent;
    EXPECT_TRUE(closed);
    EXPECT_TRUE(dialog.isVisible());
}

// What stops a print is settled before anything is written, and the order
// is: the size, the question of many pages, the file's name.
TEST_F(PrintDialog, WhatCannotPrintIsSaidBeforeTheNameIsAsked)
{
    const struct Case {
        const char* what;
        double widthCm;
        int across;
        std::optional<bool> manyPagesAnswer;   // the answer to "要打印吗？"
        bool nameGiven;
        const char* says;   // the last message; nullptr: none after the question
        int saveCalls;
        int pages;   // of the PDF written; 0: none
    } cases[] = {
        {"a size that fits no page", 40, 1, std::nullopt, true, "放不进", 0, 0},
        {"the name cancelled", 0, 1, std::nullopt, false, "没有选择 PDF 文件的名字", 1, 0},
        {"30 pages, No", 0, 6, false, true, nullptr, 0, 0},
        {"30 pages, Yes", 0, 6, true, true, nullptr, 1, 30},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        const QString out = at(QStringLiteral("asked%1.pdf").arg(++n));
        if (c.nameGiven)
            services.files.saveAnswers.push_back(out);
        if (c.manyPagesAnswer)
            services.messages.answers.push_back(*c.manyPagesAnswer);
        PrintLayoutDialog dialog(services.services, source);
        dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnWidth"))->setValue(c.widthCm);
        dialog.findChild<QSpinBox*>(QStringLiteral("spnPagesAcross"))->setValue(c.across);
        dialog.accept();
        EXPECT_EQ(int(services.files.saveCalls.size()), c.saveCalls);
        if (c.manyPagesAnswer) {
            ASSERT_FALSE(services.messages.messages.empty());
            const auto& question = services.messages.messages.front();
            EXPECT_TRUE(question.question);
            EXPECT_TRUE(question.text.contains(QStringLiteral("30 页"))) << question.text.toStdString();
            EXPECT_EQ(question.byDefault, MessageBoxes::Default::No);
        }
        if (c.says) {
            ASSERT_FALSE(services.messages.messages.empty());
            EXPECT_EQ(services.messages.messages.back().title, QStringLiteral("蓝禾提示"));
            EXPECT_TRUE(services.messages.messages.back().text.contains(QString::fromUtf8(c.says)))
                << services.messages.messages.back().text.toStdString();
        } else {
            EXPECT_EQ(services.messages.messages.size(), c.manyPagesAnswer ? 1u : 0u)
                << services.messages.texts().join(u'|').toStdString();
        }
        EXPECT_EQ(dialog.result(), c.pages > 0 ? QDialog::Accepted : QDialog::Rejected);
        if (c.pages > 0)
            EXPECT_EQ(test::pdfPageCount(out), c.pages);
        else
            EXPECT_FALSE(QFileInfo::exists(out));
    }
}

// A PDF holds one copy: with "PDF 文件" the copies cannot be chosen, the note
// says so, and the file has the pages once.
TEST_F(PrintDialog, APdfHoldsOneCopyAndSaysSo)
{
    fakes.printer.names = kTwoPrinters;
    PrintLayoutDialog dialog(fakes.services, source);
    auto* copies = dialog.findChild<QSpinBox*>(QStringLiteral("spnCopies"));
    EXPECT_TRUE(copies->isEnabled());
    EXPECT_FALSE(noteOf(dialog).contains(QStringLiteral("PDF")));
    copies->setValue(2);
    choose(dialog, kPdfChoice);
    EXPECT_FALSE(copies->isEnabled());
    EXPECT_TRUE(noteOf(dialog).contains(QStringLiteral("PDF 文件只写一份。"))) << noteOf(dialog).toStdString();
    const QString out = at(QStringLiteral("copies.pdf"));
    fakes.files.saveAnswers.push_back(out);
    dialog.accept();
    EXPECT_EQ(test::pdfPageCount(out), 1);
}

// The question before replacing a file is asked of the name written: the
// suffix added, the name trimmed; the dialog's own question is not used.
TEST_F(PrintDialog, TheFinalPdfNameIsAskedAboutBeforeItIsReplaced)
{
    const QByteArray old("old contents");
    const struct Case {
        const char* what;
        QString typed;
        QString written;
        bool exists;
        bool answer;
    } cases[] = {
        {"the suffix added, No", QStringLiteral("old1"), QStringLiteral("old1.pdf"), true, false},
        {"the suffix added, Yes", QStringLiteral("old2"), QStringLiteral("old2.pdf"), true, true},
        {"a trailing blank, No", QStringLiteral("old3.pdf "), QStringLiteral("old3.pdf"), true, false},
        {"a new name", QStringLiteral("new"), QStringLiteral("new.pdf"), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        const QString written = at(c.written);
        if (c.exists) {
            ASSERT_TRUE(writeFileBytes(written, old));
        }
        services.files.saveAnswers.push_back(at(c.typed));
        services.messages.answers.push_back(c.answer);
        PrintLayoutDialog dialog(services.services, source);
        dialog.accept();
        ASSERT_EQ(services.files.saveCalls.size(), 1u);
        EXPECT_FALSE(services.files.saveCalls.front().askOverwrite);
        if (c.exists) {
            ASSERT_EQ(services.messages.messages.size(), 1u);
            const auto& question = services.messages.messages.front();
            EXPECT_TRUE(question.question);
            EXPECT_EQ(question.text, QStringLiteral("文件已经存在，是否覆盖文件？"));
            EXPECT_EQ(question.title, QStringLiteral("询问"));
            EXPECT_EQ(question.byDefault, MessageBoxes::Default::Yes);
        } else {
            EXPECT_TRUE(services.messages.messages.empty());
        }
        if (c.answer) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(test::pdfPageCount(written), 1);
        } else {
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            EXPECT_EQ(readFileBytes(written), old);
        }
        if (!c.typed.trimmed().endsWith(QStringLiteral(".pdf"))) {
            EXPECT_FALSE(QFileInfo::exists(at(c.typed)));   // never the name without its suffix
        }
    }
}

// A PDF that cannot be written says why the file could not be (not that a
// printer refused), leaves no file and keeps an older one whole; the next
// 打印 asks for the name again. A cancelled print says nothing and keeps the
// older file too.
TEST_F(PrintDialog, AFailedPdfSaysWhyKeepsTheOldFileAndAsksTheNameAgain)
{
    const QByteArray old("old contents");
    enum class Place { ReadOnly, Proc, FullDisk, Cancelled };
    const struct Case {
        const char* what;
        Place place;
        const char* says;   // nullptr: nothing said
    } cases[] = {
        {"a read-only folder", Place::ReadOnly, ::geteuid() == 0 ? "文件系统只读" : "没有权限"},
        {"/proc", Place::Proc, "系统的虚拟文件夹"},
        {"a full disk", Place::FullDisk, "磁盘已满"},
        {"cancelled", Place::Cancelled, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        const QString folder = at(QStringLiteral("place%1").arg(++n));
        ASSERT_TRUE(QDir().mkpath(folder));
        QString target = folder + QStringLiteral("/old.pdf");
        std::optional<test::FullTmpfs> disk;
        switch (c.place) {
        case Place::ReadOnly:
            if (::geteuid() == 0) {
                disk.emplace(folder, "1m");
                ASSERT_TRUE(disk->mounted()) << disk->reason().toStdString();
                ASSERT_TRUE(writeFileBytes(target, old));
                ASSERT_TRUE(disk->makeReadOnly());
            } else {
                ASSERT_TRUE(writeFileBytes(target, old));
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            }
            break;
        case Place::Proc: target = QStringLiteral("/proc/lanhe-print-test.pdf"); break;
        case Place::FullDisk:
            disk.emplace(folder, "200k");
            ASSERT_TRUE(disk->mounted()) << disk->reason().toStdString();
            ASSERT_TRUE(writeFileBytes(target, old));
            ASSERT_TRUE(disk->fill());
            break;
        case Place::Cancelled:
            ASSERT_TRUE(writeFileBytes(target, old));
            services.exports.cancelAt = 1;
            break;
        }
        const QStringList before = c.place == Place::Proc ? QStringList() : filesIn(folder);
        // The name typed without its suffix; the older file is to be replaced.
        services.files.saveAnswers.push_back(target.chopped(4));
        services.messages.answers.push_back(true);
        PrintLayoutDialog dialog(services.services, source);
        dialog.findChild<QSpinBox*>(QStringLiteral("spnPagesAcross"))->setValue(2);   // 4 pages
        dialog.accept();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        test::RecordingMessageBoxes::Message said;
        for (const auto& m : services.messages.messages)
            if (!m.question)
                said = m;
        if (c.says) {
            EXPECT_TRUE(said.text.contains(QString::fromUtf8(c.says))) << said.text.toStdString();
            EXPECT_FALSE(said.text.contains(QStringLiteral("打印机"))) << said.text.toStdString();
            EXPECT_EQ(said.title, QStringLiteral("蓝禾提示"));
        } else {
            EXPECT_TRUE(said.text.isEmpty()) << said.text.toStdString();
        }
        if (c.place != Place::Proc) {
            EXPECT_EQ(readFileBytes(target), old);
            EXPECT_EQ(filesIn(folder), before);
        }
        if (disk)
            disk->unmount();

        // 打印 again: the name is asked again, and a good one prints.
        const QString again = at(QStringLiteral("again%1.pdf").arg(n));
        services.files.saveAnswers.push_back(again);
        services.exports.cancelAt = -1;
        dialog.accept();
        EXPECT_EQ(services.files.saveCalls.size(), 2u);
        EXPECT_EQ(test::pdfPageCount(again), 4);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

// A printer that does not take the job is said with its name; nothing is
// written and the dialog stays open.
TEST_F(PrintDialog, APrinterThatRefusesTheJobIsSaid)
{
    const struct Case {
        const char* what;
        QStringList refusing;
        bool spoolMissing;
        const char* says;
    } cases[] = {
        {"its queue does not accept jobs", {QStringLiteral("办公室")}, false, "打印机“办公室”现在不接受打印任务"},
        {"its device does not begin", {}, true, "打印机“办公室”没有接受这个打印任务"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::FakeServices services;
        services.printer.names = kTwoPrinters;
        services.printer.refusing = c.refusing;
        services.printer.spool = c.spoolMissing ? at(QStringLiteral("no/such/spool")) : at(QStringLiteral("spool"));
        QDir().mkpath(at(QStringLiteral("spool")));
        PrintLayoutDialog dialog(services.services, source);
        dialog.accept();
        EXPECT_EQ(services.printer.jobs, QStringList{QStringLiteral("办公室")});
        ASSERT_EQ(services.messages.messages.size(), 1u);
        EXPECT_EQ(services.messages.messages.front().title, QStringLiteral("蓝禾提示"));
        EXPECT_TRUE(services.messages.messages.front().text.contains(QString::fromUtf8(c.says)))
            << services.messages.messages.front().text.toStdString();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(services.files.saveCalls.empty());
        EXPECT_TRUE(filesIn(at(QStringLiteral("spool"))).isEmpty());
    }
}
