#include "printing/PrintLayoutDialog.h"
#include "forms/Notices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>

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

QList<QPageSize> papersOf(const QString& printerName)
{
    QList<QPageSize> sizes;
    if (!printerName.isEmpty())
        sizes = QPrinterInfo::printerInfo(printerName).supportedPageSizes();
    if (sizes.isEmpty()) {
        for (QPageSize::PageSizeId id : {QPageSize::A4, QPageSize::Letter, QPageSize::A5, QPageSize::A3, QPageSize::Legal})
            sizes << QPageSize(id);
        sizes << QPageSize(QSizeF(100, 150), QPageSize::Millimeter, QStringLiteral("10 × 15 厘米"));
    }
    return sizes;
}

}   // namespace

PrintLayoutDialog::PrintLayoutDialog(const PlatformServices& services, PrintSource& source, QWidget* parent)
    : QDialog(parent), services_(services), source_(source), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("PrintLayout"));
    setWindowTitle(QStringLiteral("蓝禾打印排版"));
    auto* row = new QHBoxLayout(this);
    auto* form = new QFormLayout;
    row->addLayout(form);

    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("cboPrinter"));
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    if (!defaultName.isEmpty())
        printerBox_->addItem(defaultName, defaultName);
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        if (name != defaultName)
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
    pages_->setRange(1, 20);
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
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("打印"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &PrintLayoutDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setTabOrder(width_, pages_);

    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setMinimumSize(420, 520);
    row->addWidget(preview_, 1);
    connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* printer) {
        const QString why = printPages(*printer, source_, request(), layout());
        note_->setText(why);
    });

    connect(printerBox_, &QComboBox::currentIndexChanged, this, &PrintLayoutDialog::printerChosen);
    for (QComboBox* box : {paper_, orientation_, position_})
        connect(box, &QComboBox::currentIndexChanged, this, &PrintLayoutDialog::settingsChanged);
    for (QDoubleSpinBox* box : {width_, margin_})
        connect(box, &QDoubleSpinBox::valueChanged, this, &PrintLayoutDialog::settingsChanged);
    connect(pages_, &QSpinBox::valueChanged, this, &PrintLayoutDialog::settingsChanged);
    printerChosen();
    width_->setFocus();
}

PrintLayoutDialog::~PrintLayoutDialog() = default;

void PrintLayoutDialog::setPdfFile(const QString& path)
{
    pdfFile_ = path;
    printerBox_->setCurrentIndex(printerBox_->findText(kPdf));
    printerChosen();
}

void PrintLayoutDialog::printerChosen()
{
    const QString name = printerBox_->currentData().toString();
    if (name.isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(pdfFile_);
    } else {
        printer_->setOutputFormat(QPrinter::NativeFormat);
        printer_->setPrinterName(name);
    }
    const QString keep = paper_->currentText();
    const QSignalBlocker quiet(paper_);
    paper_->clear();
    for (const QPageSize& size : papersOf(name))
        paper_->addItem(size.name(), QVariant::fromValue(size));
    const int kept = paper_->findText(keep);
    paper_->setCurrentIndex(kept >= 0 ? kept : std::max(0, paper_->findText(QPageSize(QPageSize::A4).name())));
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        note_->setText(QStringLiteral("本机没有打印机，可以打印成 PDF 文件。"));
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

void PrintLayoutDialog::settingsChanged()
{
    const QPageSize size = paper_->currentData().value<QPageSize>();
    if (size.isValid()) {
        printer_->setPageSize(size);
        printer_->setPageOrientation(QPageLayout::Orientation(orientation_->currentData().toInt()));
        printer_->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    printer_->setCopyCount(copies_->value());
    const PrintLayout l = layout();
    note_->setText(l.error.isEmpty() ? QStringLiteral("打印 %1 × %2 厘米，%3 页。")
                                           .arg(l.printedMm.width() / 10, 0, 'f', 1)
                                           .arg(l.printedMm.height() / 10, 0, 'f', 1)
                                           .arg(l.pages.size())
                                     : l.error);
    preview_->updatePreview();
}

QString PrintLayoutDialog::print()
{
    printer_->setCopyCount(copies_->value());
    if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
        const auto file = services_.files->saveFile(this, QStringLiteral("打印成 PDF 文件"),
                                                    QStringLiteral("PDF 文件 (*.pdf)|*.pdf"), QString(), true);
        if (!file)
            return QStringLiteral("已取消。");
        printer_->setOutputFileName(file->endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? *file
                                                                                               : *file + QStringLiteral(".pdf"));
    }
    const PrintLayout l = layout();
    if (!l.error.isEmpty())
        return l.error;
    const auto progress =
        services_.exports->startProgress(this, QStringLiteral("正在打印……"), int(l.pages.size()));
    return printPages(*printer_, source_, request(), l, progress.get());
}

void PrintLayoutDialog::accept()
{
    const QString why = print();
    if (why == QStringLiteral("已取消。"))
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
