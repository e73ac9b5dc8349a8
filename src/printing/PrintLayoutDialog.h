#pragma once
// "蓝禾打印排版": printer, paper, orientation, printed width ("适合纸张" the
// largest inside the margins), position, margins, pages across for a poster
// and copies, with a preview of the pages as they will print that follows
// every change and a note of the printed size and the page count. It opens
// with the focus on the printed width and Tab follows the form from top to
// bottom; Enter prints what the preview shows, Escape closes it and prints
// nothing, F1 lists these keys.
//
// "PDF 文件" asks for the file's name at 打印 and writes only that file (one
// copy); a printer gets its job through the printer service and never
// writes a file.

#include "printing/PrintPages.h"
#include "platform/Services.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;

namespace lh::printing {

class PrintLayoutDialog : public QDialog {
    Q_OBJECT
public:
    PrintLayoutDialog(const PlatformServices& services, PrintSource& source, QWidget* parent = nullptr);
    ~PrintLayoutDialog() override;

    // Chooses "PDF 文件" with this name for the next print instead of asking.
    void setPdfFile(const QString& path);
    PrintRequest request() const;
    PrintLayout layout() const;
    QPrintPreviewWidget* preview() const { return preview_; }

    // Prints with what the dialog shows: empty when printed; kNotPrinted when
    // the user stopped it (a cancelled progress, No to replacing a file or to
    // a poster of many pages); otherwise why nothing was printed.
    QString print();
    static const QString kNotPrinted;

public slots:
    void accept() override;

private:
    void printerChosen();
    void settingsChanged();
    bool toPdf() const;
    QString printToPdf(const PrintLayout& layout);
    QString printToPrinter(const QString& name, const PrintLayout& layout);
    void paintPreview(QPrinter* printer);

    const PlatformServices& services_;
    PrintSource& source_;
    std::unique_ptr<QPrinter> previewPrinter_;
    QString pdfFile_;
    QComboBox* printerBox_ = nullptr;
    QComboBox* paper_ = nullptr;
    QComboBox* orientation_ = nullptr;
    QDoubleSpinBox* width_ = nullptr;
    QComboBox* position_ = nullptr;
    QDoubleSpinBox* margin_ = nullptr;
    QSpinBox* pages_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QLabel* note_ = nullptr;
    QPrintPreviewWidget* preview_ = nullptr;
};

// Ctrl+P: the dialog for a picture or a design; a failure is told under "蓝禾提示".
void askAndPrint(QWidget* parent, const PlatformServices& services, PrintSource& source);

}   // namespace lh::printing
