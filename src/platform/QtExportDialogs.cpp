#include "platform/QtExportDialogs.h"

#include "platform/QtServices.h"
#include "platform/TaskProgress.h"
#include "design/DesignRules.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <functional>

namespace lh {

namespace {

constexpr int kSide = design::kDesignPixels;

QComboBox* scaleBox(int initial, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("scale"));
    for (int k : kExportScales)
        box->addItem(QStringLiteral("%1 倍（%2 × %2 像素）").arg(k).arg(kSide * k), k);
    const int index = box->findData(initial);
    box->setCurrentIndex(index >= 0 ? index : 2);
    return box;
}

QSpinBox* resolutionBox(int initial, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QStringLiteral("resolution"));
    box->setRange(kMinDotsPerInch, kMaxDotsPerInch);
    box->setSuffix(QStringLiteral(" 点/英寸"));
    box->setValue(initial);
    return box;
}

// Where the dialog of "浏览…" starts for the path in its line: a relative
// one is taken in the program folder, as the exports take it.
QString browseStart(const QString& typed)
{
    const QString path = typed.trimmed();
    return path.isEmpty() ? programDirectory() : QDir(programDirectory()).absoluteFilePath(path);
}

// A line for a path with a button "浏览…" that opens the file or folder
// dialog on what the line holds.
QWidget* pathRow(QLineEdit* edit, const std::function<std::optional<QString>(const QString&)>& browse,
                 QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* button = new QPushButton(QStringLiteral("浏览…"), row);
    button->setObjectName(QStringLiteral("browse"));
    layout->addWidget(edit, 1);
    layout->addWidget(button);
    QObject::connect(button, &QPushButton::clicked, row, [edit, browse] {
        if (const std::optional<QString> chosen = browse(browseStart(edit->text())); chosen && !chosen->isEmpty())
            edit->setText(*chosen);
    });
    return row;
}

// The folder to export into: its line, with a button for the folder dialog.
QLineEdit* addFolderRow(QFormLayout* form, const QString& initial, QDialog* dialog, QtFileDialogs& files)
{
    auto* folder = new QLineEdit(initial, dialog);
    folder->setObjectName(QStringLiteral("folder"));
    form->addRow(QStringLiteral("文件夹："),
                 pathRow(
                     folder,
                     [dialog, &files](const QString& start) {
                         return files.chooseFolder(dialog, QStringLiteral("导出到"), start);
                     },
                     dialog));
    return folder;
}

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}   // namespace

std::optional<ExportChoice> QtExportDialogs::askExport(QWidget* parent, const ExportChoice& initial)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("导出图案"));
    auto* form = new QFormLayout(&dialog);
    auto* scale = scaleBox(initial.scale, &dialog);
    auto* dpi = resolutionBox(initial.dotsPerInch, &dialog);
    auto* file = new QLineEdit(initial.file, &dialog);
    file->setObjectName(QStringLiteral("file"));
    form->addRow(QStringLiteral("放大倍数："), scale);
    form->addRow(QStringLiteral("分辨率："), dpi);
    form->addRow(QStringLiteral("文件："),
                 pathRow(
                     file,
                     [&](const QString& start) {
                         // The export asks before replacing the file it writes
                         // (".png" added), so the dialog does not.
                         return files_.saveFile(&dialog, QStringLiteral("导出为"), QStringLiteral("PNG 图像|*.png"),
                                                start, false);
                     },
                     &dialog));
    form->addRow(okCancel(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    // The name as typed; the export takes it in the program folder and adds ".png".
    const QString path = file->text().trimmed();
    return ExportChoice{scale->currentData().toInt(), dpi->value(), path};
}

std::optional<BatchChoice> QtExportDialogs::askBatch(QWidget* parent, const BatchChoice& initial)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("批量导出新图案"));
    auto* form = new QFormLayout(&dialog);
    auto* category = new QSpinBox(&dialog);
    category->setObjectName(QStringLiteral("category"));
    category->setRange(1, kDesignerCategories);
    category->setValue(initial.category);
    auto* count = new QSpinBox(&dialog);
    count->setObjectName(QStringLiteral("count"));
    count->setRange(1, kMaxBatchCount);
    count->setValue(initial.count);
    auto* scale = scaleBox(initial.scale, &dialog);
    auto* dpi = resolutionBox(initial.dotsPerInch, &dialog);
    QLineEdit* folder = nullptr;
    form->addRow(QStringLiteral("大类："), category);
    form->addRow(QStringLiteral("张数："), count);
    form->addRow(QStringLiteral("放大倍数："), scale);
    form->addRow(QStringLiteral("分辨率："), dpi);
    folder = addFolderRow(form, initial.folder, &dialog, files_);
    form->addRow(okCancel(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return BatchChoice{category->value(), count->value(), scale->currentData().toInt(), dpi->value(),
                       folder->text().trimmed()};
}

std::optional<FolderExportChoice> QtExportDialogs::askFolderExport(QWidget* parent, const FolderExportChoice& initial,
                                                                  int designs)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("导出收藏的图案"));
    auto* form = new QFormLayout(&dialog);
    auto* scale = scaleBox(initial.scale, &dialog);
    auto* dpi = resolutionBox(initial.dotsPerInch, &dialog);
    QLineEdit* folder = nullptr;
    form->addRow(QStringLiteral("图案："), new QLabel(QStringLiteral("%1 个").arg(designs), &dialog));
    form->addRow(QStringLiteral("放大倍数："), scale);
    form->addRow(QStringLiteral("分辨率："), dpi);
    folder = addFolderRow(form, initial.folder, &dialog, files_);
    form->addRow(okCancel(&dialog));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FolderExportChoice{scale->currentData().toInt(), dpi->value(), folder->text().trimmed()};
}

std::unique_ptr<Progress> QtExportDialogs::startProgress(QWidget* parent, const QString& label, int total)
{
    return std::make_unique<TaskProgress>(parent, QStringLiteral("ExportProgress"), QStringLiteral("导出"), label,
                                          total, 500);
}

}   // namespace lh
