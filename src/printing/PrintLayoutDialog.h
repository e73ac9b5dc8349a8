#pragma once
// "蓝禾打印排版": printer, paper, orientation, printed width ("适合纸张" the
// largest inside the margins), position, margins, pages across for a poster
// and copies, with a preview of the pages as they will print that follows
// every change. It opens with the focus on the printed width (Tab goes on to
// the pages across); Enter prints what the preview shows, Escape closes it
// and prints nothing.

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

    // Prints to a PDF file instead of a printer.
    void setPdfFile(const QString& path);
    PrintRequest request() const;
    PrintLayout layout() const;
    QPrinter& printer() { return *printer_; }
    QPrintPreviewWidget* preview() const { return preview_; }

    // Prints with what the dialog shows: empty, or why it did not print.
    QString print();

public slots:
    void accept() override;

private:
    void printerChosen();
    void settingsChanged();

    const PlatformServices& services_;
    PrintSource& source_;
    std::unique_ptr<QPrinter> printer_;
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
