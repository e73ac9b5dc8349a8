#include "tools/Form30.h"
#include "forms/Notices.h"

#include "printing/PrintLayoutDialog.h"

#include <QKeySequence>
#include <QShortcut>
#include "tools/Form30Layout.h"

#include "pictures/PictureFiles.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "forms/Printing.h"
#include "forms/SaveName.h"
#include "pictures/ImageMemory.h"
#include "platform/TaskProgress.h"
#include "platform/WindowPlacement.h"
#include "tools/Wallpaper.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>

// The stored pictures are compiled into this library; a static library must
// register its resources itself.
static void initWallpaperResources() { Q_INIT_RESOURCE(wallpaper); }

namespace lh::tools {

namespace {

using forms::Kind;
constexpr forms::FontSpec kPlain{"宋体", 9, false};
const QString& kNoticeTitle = forms::kNoticeTitle;

const forms::WindowLook kLook{"Form30", "蓝禾壁纸排版", nullptr, kPlain};

QString storedName(int index)
{
    if (index == 0)
        return QStringLiteral(":/wallpaper/tile.bmp");
    return QStringLiteral(":/wallpaper/pattern%1.%2").arg(index).arg(index == 11 ? "bmp" : "jpg");
}

QImage screenPicture(const QImage& picture)
{
    QImage p = picture.convertToFormat(QImage::Format_RGB32);
    p.setDevicePixelRatio(1.0);
    p.setDotsPerMeterX(kScreenDotsPerMetre);
    p.setDotsPerMeterY(kScreenDotsPerMetre);
    return p;
}

}   // namespace

QImage Form30::storedPicture(int index)
{
    ::initWallpaperResources();
    if (index < 0 || index > kPatterns)
        return {};
    return QImage(storedName(index));
}

Form30::Form30(const PlatformServices& services, Navigator& navigator, QWidget* owner)
    : QMainWindow(owner, Qt::Window), services_(services), navigator_(navigator), freeMemory_(&availableMemoryBytes)
{
    forms::applyWindowLook(this, kLook);

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("mnuFile"));
    const std::pair<const char*, const char*> entries[] = {
        {"mnuNew", "新建"}, {"mnuOpen", "打开"}, {"mnuSave", "保存"}, {"mnuPrint", "打印"}, {"mnuExit", "退出"}};
    const std::function<void()> actions[] = {[this] { Command3_Click(); }, [this] { Command4_Click(); },
                                             [this] { Command5_Click(); }, [this] { Command6_Click(); },
                                             [this] { mnuExit_Click(); }};
    for (int i = 0; i < 5; ++i) {
        QAction* a = file->addAction(QString::fromUtf8(entries[i].second));
        a->setObjectName(QString::fromLatin1(entries[i].first));
        connect(a, &QAction::triggered, this, actions[i]);
    }

    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("Form30Client"));
    setCentralWidget(client_);
    forms::buildControls(client_, form30WindowRows());
    picture3_ = forms::control<QWidget>(client_, "Picture3");
    forms::buildControls(picture3_, form30ToolbarRows());
    picture1_ = forms::control<forms::PicturePane>(client_, "Picture1");
    picture2_ = forms::control<forms::PicturePane>(client_, "Picture2");
    picture1_->setAutoSize(true);
    picture2_->setAutoSize(true);
    picture1_->setCursor(Qt::SizeAllCursor);
    picture1_->installEventFilter(this);
    // Ctrl+P: the canvas at a chosen size on a chosen paper, or as a poster.
    auto* layoutKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    layoutKey->setObjectName(QStringLiteral("PrintLayoutShortcut"));
    connect(layoutKey, &QShortcut::activated, this, [this] {
        printing::PicturePrintSource source(picture1_->picture());
        printing::askAndPrint(this, services_, source);
    });
    // The toolbar stays above the canvas, however far the canvas is dragged.
    picture3_->raise();
    text1_ = forms::control<QLineEdit>(picture3_, "Text1");
    text2_ = forms::control<QLineEdit>(picture3_, "Text2");
    if (auto* hint = forms::control<QLabel>(picture3_, "Label1")) {
        hint->setWordWrap(true);
        hint->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        // Its letters keep off the edges of its light box.
        hint->setMargin(forms::kCaptionMargin);
        // Two whole lines of the installed face: the hint grows to the left
        // when the face is wider than the one the strip was drawn for.
        hintFont_ = hint->font();
    }

    const std::pair<const char*, void (Form30::*)()> buttons[] = {
        {"Command1", &Form30::Command1_Click}, {"Command2", &Form30::Command2_Click},
        {"Command3", &Form30::Command3_Click}, {"Command4", &Form30::Command4_Click},
        {"Command5", &Form30::Command5_Click}, {"Command6", &Form30::Command6_Click},
        {"Command7", &Form30::Command7_Click}, {"Command8", &Form30::Command8_Click}};
    for (const auto& [name, handler] : buttons)
        if (auto* b = forms::control<QPushButton>(picture3_, name))
            connect(b, &QPushButton::clicked, this, handler);
    for (int k = 1; k <= kPatterns; ++k) {
        const QByteArray name = "Command" + QByteArray::number(8 + k);
        if (auto* b = forms::control<QPushButton>(picture3_, name.constData()))
            connect(b, &QPushButton::clicked, this, [this, k] { patternClick(k); });
    }

    for (int k = 1; k <= kPatterns; ++k)
        patterns_[std::size_t(k - 1)] = screenPicture(storedPicture(k));
    picture2_->setPicture(screenPicture(storedPicture(0)));

    const QSize clientSize = forms::twipsRect(0, 0, 21420, 12690).size();
    resize(clientSize.width(), clientSize.height() + menuBar()->sizeHint().height());
    layoutStrip();

    // The canvas at the text boxes' size, tiled with the default tile.
    const CanvasSizeCheck start =
        checkCanvasSize(twipsOfText(text2_->text()), twipsOfText(text1_->text()), kCanvasBorder, freeMemory_());
    if (start.verdict == CanvasVerdict::Ok)
        tileNewCanvas(start.inner, tile());
    setWindowState(Qt::WindowMaximized);
}

Form30::~Form30() = default;

const QImage& Form30::tile() const { return picture2_->picture(); }

QSize Form30::cell() const { return picture2_->innerSize(); }

const QImage& Form30::pattern(int k) const
{
    static const QImage none;
    return k >= 1 && k <= kPatterns ? patterns_[std::size_t(k - 1)] : none;
}

void Form30::layoutStrip()
{
    if (!picture3_)
        return;
    // The whole width of the window (its outer width less 2 twips).
    picture3_->resize(std::max(1, width()), picture3_->height());
    auto* hint = forms::control<QLabel>(picture3_, "Label1");
    if (!hint)
        return;
    // The hint takes the room right of the last button: on one line where it
    // fits, else on two; its letters are made smaller only where two lines
    // of the installed face would still be cut at the bottom.
    int room = picture3_->width();
    for (const QWidget* w : picture3_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != hint)
            room = std::min(room, picture3_->width() - (w->geometry().right() + 6));
    hint->setFont(hintFont_);
    const QFontMetrics metrics(hintFont_);
    const int oneLine = metrics.horizontalAdvance(hint->text()) + 4 + 2 * hint->margin();
    const int twoLines = oneLine / 2 + 2 * metrics.maxWidth();
    const int width = oneLine <= room ? oneLine : std::max(std::min(room, oneLine), std::min(twoLines, oneLine));
    hint->resize(width, hint->height());
    QFont font = hintFont_;
    int pixels = QFontInfo(font).pixelSize();
    while (hint->heightForWidth(width) > hint->height() && pixels > 8) {
        font.setPixelSize(--pixels);
        hint->setFont(font);
    }
    hint->move(std::max(0, picture3_->width() - hint->width()), hint->y());
}

void Form30::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    layoutStrip();
}

void Form30::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!placed_ && !e->spontaneous()) {
        placed_ = true;
        fillScreenIfNobodyMaximizes(this);
    }
    layoutStrip();
}

void Form30::tell(const QString& text)
{
    services_.messages->inform(this, text, kNoticeTitle, MessageIcon::Exclamation);
}

bool Form30::tileNewCanvas(QSize inner, const QImage& picture)
{
    const QSize cellSize = cell();
    QImage canvas = makeCanvas(inner);
    if (canvas.isNull()) {
        tell(canvasRefusal(CanvasVerdict::TooLarge, freeMemory_()));
        return false;
    }
    TaskProgress progress(this, QStringLiteral("TileProgress"), kNoticeTitle, QStringLiteral("正在排版壁纸……"),
                          inner.height(), progressDelayMs_);
    const bool done = TileCanvas(canvas, picture, cellSize.width(), cellSize.height(),
                                 [&progress](int rows, int total) { return progress.step(rows, total); });
    if (!done)
        return false;
    picture1_->setPicture(canvas);
    return true;
}

std::optional<double> Form30::currentWidthTwips() const { return double(picture1_->width() * forms::kTwipsPerPixel); }

std::optional<double> Form30::currentHeightTwips() const { return double(picture1_->height() * forms::kTwipsPerPixel); }

void Form30::applySize(std::optional<double> widthTwips, std::optional<double> heightTwips)
{
    const std::int64_t free = freeMemory_();
    const CanvasSizeCheck check = checkCanvasSize(widthTwips, heightTwips, kCanvasBorder, free);
    if (check.verdict != CanvasVerdict::Ok) {
        tell(canvasRefusal(check.verdict, free));
        return;
    }
    tileNewCanvas(check.inner, tile());
}

void Form30::Command1_Click() { applySize(currentWidthTwips(), twipsOfText(text1_->text())); }

void Form30::Command2_Click() { applySize(twipsOfText(text2_->text()), currentHeightTwips()); }

void Form30::Command3_Click()
{
    const CanvasSizeCheck check = checkCanvasSize(16000, 11000, kCanvasBorder, freeMemory_());
    if (check.verdict != CanvasVerdict::Ok) {
        tell(canvasRefusal(check.verdict, freeMemory_()));
        return;
    }
    if (tileNewCanvas(check.inner, tile()))
        picture1_->move(forms::twipsToPixels(0), forms::twipsToPixels(510));
}

void Form30::Command4_Click()
{
    const std::optional<QString> name = services_.files->openFile(
        this, QStringLiteral("打开"),
        QStringLiteral("All Files (*.*)|*.*|JPG Files (*.jpg)|*.jpg|GIF Files (*.gif)|*.gif|BMP Files (*.bmp)|*.bmp"),
        QString());
    if (!name || name->isEmpty())
        return;
    const QImage picture = loadPicture(*name);
    if (picture.isNull())
        return;
    const QImage shown = screenPicture(picture);
    picture1_->setPicture(shown);
    picture2_->setPicture(shown);
}

void Form30::patternClick(int k)
{
    if (k < 1 || k > kPatterns)
        return;
    tileNewCanvas(picture1_->innerSize(), pattern(k));
}

void Form30::Command5_Click()
{
    const std::optional<QString> name =
        forms::askBitmapFileName(this, services_, QStringLiteral("保存"), programDirectory());
    if (!name || name->isEmpty())
        return;   // cancelled, or No to replacing a file
    QString why;
    const SaveResult result = saveCanvas(*name, &why);
    if (result == SaveResult::Failed)
        tell(QStringLiteral("壁纸没有保存。\n%1").arg(why));
}

Form30::SaveResult Form30::saveCanvas(const QString& path, QString* why)
{
    // The rows go to the file a band at a time; between bands the progress
    // shows and the other windows go on. A cancelled or failed save leaves no
    // file behind and an existing file as it was.
    TaskProgress progress(this, QStringLiteral("SaveProgress"), kNoticeTitle, QStringLiteral("正在保存壁纸……"),
                          picture1_->picture().height(), progressDelayMs_);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = writeBmp24(picture1_->picture(), path, why,
                                    [&progress](qint64 rows, qint64 total) { return progress.step(rows, total); });
    QApplication::restoreOverrideCursor();
    if (written)
        return SaveResult::Saved;
    return progress.cancelled() ? SaveResult::Cancelled : SaveResult::Failed;
}

void Form30::Command6_Click()
{
    if (picture1_->picture().isNull()) {
        tell(QStringLiteral("没有可打印的壁纸。"));
        return;
    }
    forms::printShowingProgress(this, services_, picture1_->picture(), QStringLiteral("壁纸没有打印。"),
                                progressDelayMs_);
}
void Form30::Command7_Click() { navigator_.openZoom(this); }

void Form30::Command8_Click() { navigator_.openCapture(navigator_.mainWindow()); }

void Form30::mnuExit_Click()
{
    hide();
    navigator_.showMainWindow();
}

bool Form30::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != picture1_)
        return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // Any button picks the canvas up; it follows the pointer until released.
        auto* e = static_cast<QMouseEvent*>(event);
        dragging_ = true;
        dragStart_ = picture1_->pos();
        dragPress_ = e->globalPosition().toPoint();
        return true;
    }
    case QEvent::MouseMove: {
        if (!dragging_)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        picture1_->move(
            dragCanvasTo(dragStart_, dragPress_, e->globalPosition().toPoint(), picture1_->size(), client_->size()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (dragging_ && e->buttons() == Qt::NoButton)
            dragging_ = false;
        return true;
    }
    default: return false;
    }
}

}   // namespace lh::tools
