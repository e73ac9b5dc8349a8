#include "printing/PrintLayoutDialog.h"
#include "forms/Notices.h"
#include "forms/ProgramKeys.h"
#include "printing/PdfFile.h"

#include <QComboBox>
#include <QFileInfo>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>

#include <iterator>
#include <utility>

namespace lh::printing {

namespace {

const QString kPdf = QStringLiteral("PDF 文件");

// A length from 0 to `most` in tenths, with its unit after the number.
QDoubleSpinBox* lengthBox(QWidget* parent, const QString& name, double most, const QString& unit)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, most);
    box->setDecimals(1);
    box->setSuffix(unit);
    return box;
}

QList<QPageSize> papersOf(const PicturePrinter& printers, const QString& printerName)
{
    QList<QPageSize> sizes;
    if (!printerName.isEmpty())
        sizes = printers.paperSizes(printerName);
    if (sizes.isEmpty()) {
        for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::A5, QPageSize::A3, QPageSize::Legal})
            sizes << QPageSize(id);
        sizes << QPageSize(QSizeF(100, 150), QPageSize::Millimeter, QStringLiteral("10 × 15 厘米"));
    }
    return sizes;
}

// The keys F1 lists in this dialog.
const std::vector<forms::ProgramKey>& dialogKeys()
{
    static const std::vector<forms::ProgramKey> keys = {
        {QStringLiteral("Tab / Shift+Tab"), QStringLiteral("从上到下转到下一项 / 上一项")},
        {QStringLiteral("Enter"), QStringLiteral("打印预览显示的页")},
        {QStringLiteral("Escape"), QStringLiteral("关闭，不打印")},
        {QStringLiteral("F1"), QStringLiteral("这个帮助")},
    };
    return keys;
}

}   // namespace

const QString PrintLayoutDialog::kNotPrinted = QStringLiteral("已取消。");

PrintLayoutDialog::PrintLayoutDialog(const PlatformServices& services, PrintSource& source, QWidget* parent)
    : QDialog(parent),
      services_(services),
      source_(source),
      previewPrinter_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("PrintLayout"));
    setWindowTitle(QStringLiteral("蓝禾打印排版"));
    // Only the preview draws on this printer: it never sends a job anywhere.
    previewPrinter_->setOutputFormat(QPrinter::PdfFormat);
    auto* row = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    row->addLayout(form);

    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("cboPrinter"));
    for (const QString& name : services_.printer->printerNames())
        printerBox_->addItem(name, name);
    printerBox_->addItem(kPdf, QString());
    paper_ = new QComboBox(this);
    paper_->setObjectName(QStringLiteral("cboPaper"));
    orientation_ = new QComboBox(this);
    orientation_->setObjectName(QStringLiteral("cboOrientation"));
    orientation_->addItem(QStringLiteral("纵向"), int(QPageLayout::Portrait));
    orientation_->addItem(QStringLiteral("横向"), int(QPageLayout::Landscape));
    width_ = lengthBox(this, QStringLiteral("spnWidth"), 10000, QStringLiteral(" 厘米"));
    width_->setSpecialValueText(QStringLiteral("适合纸张"));
    width_->setValue(0);
    pages_ = new QSpinBox(this);
    pages_->setObjectName(QStringLiteral("spnPagesAcross"));
    pages_->setRange(1, kMaxPagesAcross);
    position_ = new QComboBox(this);
    position_->setObjectName(QStringLiteral("cboPosition"));
    position_->addItem(QStringLiteral("居中"));
    position_->addItem(QStringLiteral("左上边距"));
    margin_ = lengthBox(this, QStringLiteral("spnMargin"), 100, QStringLiteral(" 毫米"));
    margin_->setValue(10);
    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("spnCopies"));
    copies_->setRange(1, 999);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("lblNote"));
    note_->setWordWrap(true);

    form->addRow(QStringLiteral("打印宽度："), width_);
    form->addRow(QStringLiteral("横向页数（海报）："), pages_);
    form->addRow(QStringLiteral("打印机："), printerBox_);
    form->addRow(QStringLiteral("纸张："), paper_);
    form->addRow(QStringLiteral("方向："), orientation_);
    form->addRow(QStringLiteral("位置："), position_);
    form->addRow(QStringLiteral("边距："), margin_);
    form->addRow(QStringLiteral("份数："), copies_);
    form->addRow(note_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* printButton = buttons->button(QDialogButtonBox::Ok);
    QPushButton* cancelButton = buttons->button(QDialogButtonBox::Cancel);
    printButton->setText(QStringLiteral("打印"));
    printButton->setObjectName(QStringLiteral("cmdPrint"));
    cancelButton->setText(QStringLiteral("取消"));
    cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    printButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrintLayoutDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    preview_ = new QPrintPreviewWidget(previewPrinter_.get(), this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setMinimumSize(420, 520);
    row->addWidget(preview_, 1);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, &PrintLayoutDialog::paintPreview);

    // The form from top to bottom, its buttons, then the preview.
    QWidget* order[] = {width_, pages_, printerBox_, paper_, orientation_, position_, margin_, copies_,
                        printButton, cancelButton, preview_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    forms::installHelpKey(this, dialogKeys(), QStringLiteral("打印排版的按键："));

    connect(printerBox_, &QComboBox::currentIndexChanged, this, &PrintLayoutDialog::printerChosen);
    for (QComboBox* box : {paper_, orientation_, position_})
        connect(box, &QComboBox::currentIndexChanged, this, &PrintLayoutDialog::settingsChanged);
    for (QDoubleSpinBox* box : {width_, margin_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PrintLayoutDialog::settingsChanged);
    for (QSpinBox* box : {pages_, copies_})
        connect(box, &QSpinBox::valueChanged, this, &PrintLayoutDialog::settingsChanged);
    printerChosen();
    width_->setFocus();
}

PrintLayoutDialog::~PrintLayoutDialog() = default;

void PrintLayoutDialog::setPdfFile(const QString& path)
{
    pdfFile_ = path;
    printerBox_->setCurrentIndex(printerBox_->findText(kPdf));
}

bool PrintLayoutDialog::toPdf() const { return printerBox_->currentData().toString().isEmpty(); }

void PrintLayoutDialog::printerChosen()
{
    const QString name = printerBox_->currentData().toString();
    const QString keep = paper_->currentText();
    const QSignalBlocker quiet(paper_);
    paper_->clear();
    for (const QPageSize& size : papersOf(*services_.printer, name))
        paper_->addItem(size.name(), QVariant::fromValue(size));
    const int kept = paper_->findText(keep);
    paper_->setCurrentIndex(kept >= 0 ? kept : std::max(0, paper_->findText(QPageSize(QPageSize::A4).name())));
    // A PDF holds one copy; the copies are chosen when it is printed.
    copies_->setEnabled(!toPdf());
    settingsChanged();
}

PrintRequest PrintLayoutDialog::request() const
{
    PrintRequest r;
    const QPageSize size = paper_->currentData().value<QPageSize>();
    QSizeF mm = size.size(QPageSize::Millimeter);
    if (orientation_->currentData().toInt() == int(QPageLayout::Landscape))
        mm.transpose();
    r.paperMm = mm;
    r.marginMm = margin_->value();
    if (width_->value() > 0)
        r.widthCm = width_->value();
    r.centred = position_->currentIndex() == 0;
    r.pagesAcross = pages_->value();
    return r;
}

PrintLayout PrintLayoutDialog::layout() const { return layoutPrint(source_.size(), request()); }

namespace {

// The paper, sideways or not, without margins: as the request lays it out.
void setPaper(QPagedPaintDevice& device, const QPageSize& size, QPageLayout::Orientation orientation)
{
    if (!size.isValid())
        return;
    device.setPageSize(size);
    device.setPageOrientation(orientation);
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

}   // namespace

void PrintLayoutDialog::settingsChanged()
{
    setPaper(*previewPrinter_, paper_->currentData().value<QPageSize>(),
             QPageLayout::Orientation(orientation_->currentData().toInt()));
    const PrintLayout l = layout();
    QString note = l.error;
    if (l.error.isEmpty()) {
        note = QStringLiteral("打印 %1 × %2 厘米，%3 页。")
                   .arg(l.printedMm.width() / 10, 0, 'f', 1)
                   .arg(l.printedMm.height() / 10, 0, 'f', 1)
                   .arg(l.pages.size());
        if (toPdf())
            note += QStringLiteral("PDF 文件只写一份。");
        if (printerBox_->count() == 1)
            note += QStringLiteral("\n本机没有打印机，可以打印成 PDF 文件。");
    }
    note_->setText(note);
    preview_->updatePreview();
}

void PrintLayoutDialog::paintPreview(QPrinter* printer)
{
    const PrintLayout l = layout();
    if (!l.error.isEmpty()) {
        // A blank page saying so: nothing will print.
        QPainter painter(printer);
        const QRect page = painter.viewport();
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(std::max(8, page.width() / 24));
        painter.setFont(font);
        painter.setPen(Qt::darkGray);
        painter.drawText(page.adjusted(page.width() / 10, 0, -page.width() / 10, 0),
                         Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("不会打印。\n%1").arg(l.error));
        return;
    }
    const QString why = printPages(*printer, source_, request(), l);
    if (!why.isEmpty())
        note_->setText(why);
}

QString PrintLayoutDialog::print()
{
    // What cannot print is said before anything is asked.
    const PrintLayout l = layout();
    if (!l.error.isEmpty())
        return l.error;
    const int pages = int(l.pages.size());
    if (pages >= kAskFromPages
        && !services_.messages->ask(this, QStringLiteral("这张海报要打印 %1 页纸，要打印吗？").arg(pages),
                                    QStringLiteral("询问"), MessageBoxes::Default::No))
        return kNotPrinted;
    if (toPdf())
        return printToPdf(l);
    return printToPrinter(printerBox_->currentData().toString(), l);
}

QString PrintLayoutDialog::printToPdf(const PrintLayout& l)
{
    // A name given earlier is used once: after a failure 打印 asks again.
    QString given = std::exchange(pdfFile_, QString());
    if (given.trimmed().isEmpty()) {
        const auto file = services_.files->saveFile(this, QStringLiteral("打印成 PDF 文件"),
                                                    QStringLiteral("PDF 文件 (*.pdf)|*.pdf"), QString(), false);
        if (!file || file->trimmed().isEmpty())
            return QStringLiteral("没有选择 PDF 文件的名字。");
        given = *file;
    }
    // The name is final only now (trimmed, its suffix added): the question
    // is asked of the file that would be replaced.
    const QString name = pdfFileName(given);
    const QFileInfo target(name);
    if ((target.exists() || target.isSymLink())
        && !services_.messages->ask(this, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问")))
        return kNotPrinted;

    PdfFile pdf(name);
    QString why;
    if (!pdf.open(&why))
        return QStringLiteral("PDF 文件 %1 不能写入：%2").arg(name, why);
    QPdfWriter& writer = pdf.writer();
    writer.setTitle(QFileInfo(name).completeBaseName());
    setPaper(writer, paper_->currentData().value<QPageSize>(),
             QPageLayout::Orientation(orientation_->currentData().toInt()));
    const auto progress = services_.exports->startProgress(this, QStringLiteral("正在打印……"), int(l.pages.size()));
    why = printPages(writer, source_, request(), l, progress.get());
    if (!why.isEmpty()) {
        pdf.cancel();
        if (why == kNotPrinted)
            return why;
        if (why == deviceRefusedReason())
            why = QStringLiteral("不能开始写 PDF 文件");
        return QStringLiteral("PDF 文件 %1 没有写成：%2").arg(name, why);
    }
    if (!pdf.commit(&why))
        return QStringLiteral("PDF 文件 %1 没有写成：%2").arg(name, why);
    return {};
}

QString PrintLayoutDialog::printToPrinter(const QString& name, const PrintLayout& l)
{
    QString why;
    const std::unique_ptr<QPrinter> job = services_.printer->openJob(name, &why);
    if (!job)
        return why.isEmpty() ? QStringLiteral("打印机“%1”没有接受这个打印任务。").arg(name) : why;
    job->setDocName(windowTitle());
    job->setCopyCount(copies_->value());
    setPaper(*job, paper_->currentData().value<QPageSize>(),
             QPageLayout::Orientation(orientation_->currentData().toInt()));
    const auto progress = services_.exports->startProgress(this, QStringLiteral("正在打印……"), int(l.pages.size()));
    why = printPages(*job, source_, request(), l, progress.get());
    if (why == deviceRefusedReason())
        return QStringLiteral("打印机“%1”没有接受这个打印任务。").arg(name);
    if (!why.isEmpty())
        return why;
    if (job->printerState() == QPrinter::Error || job->printerState() == QPrinter::Aborted)
        return QStringLiteral("打印机“%1”出错了，打印任务没有完成。").arg(name);
    return {};
}

void PrintLayoutDialog::accept()
{
    const QString why = print();
    if (why == kNotPrinted)
        return;
    if (!why.isEmpty()) {
        services_.messages->inform(this, QStringLiteral("没有打印。\n%1").arg(why), forms::kNoticeTitle,
                                   MessageIcon::Exclamation);
        return;
    }
    QDialog::accept();
}

void askAndPrint(QWidget* parent, const PlatformServices& services, PrintSource& source)
{
    PrintLayoutDialog dialog(services, source, parent);
    dialog.exec();
}

}   // namespace lh::printing
