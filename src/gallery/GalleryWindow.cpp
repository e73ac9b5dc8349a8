#include "gallery/GalleryWindow.h"
#include "forms/Notices.h"

#include "gallery/DesignViewer.h"
#include "gallery/GalleryModel.h"

#include "designer/ExportDesign.h"
#include "forms/FormToolkit.h"
#include "forms/ProgramKeys.h"
#include "forms/SaveName.h"
#include "platform/WindowPlacement.h"
#include "printing/PrintLayoutDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QShortcut>
#include <QVBoxLayout>

namespace lh::gallery {

namespace {

const QString kDesignFileFilter = QStringLiteral("蓝禾图案收藏 (*.lhd)|*.lhd|All Files (*.*)|*.*");

// One design of a folder export is one step of the export's own progress.
class NoSteps final : public Progress {
public:
    void setValue(int) override {}
    bool cancelled() override { return false; }
};

}   // namespace

QString exportedFileName(const KeptEntry& entry)
{
    return QStringLiteral("design-%1-%2.png").arg(entry.category).arg(entry.id);
}

GalleryWindow::GalleryWindow(const PlatformServices& services, KeptDesigns& designs, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), designs_(designs)
{
    setObjectName(QStringLiteral("GalleryWindow"));
    setWindowTitle(QStringLiteral("蓝禾图案收藏"));
    resize(940, 720);

    auto* layout = new QVBoxLayout(this);
    auto* menus = new QMenuBar(this);
    auto* file = menus->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* exportFile = file->addAction(QStringLiteral("导出收藏"), this, &GalleryWindow::exportDesignFile);
    exportFile->setObjectName(QStringLiteral("mnuFileExport"));
    QAction* importFile = file->addAction(QStringLiteral("导入收藏"), this, &GalleryWindow::importDesignFile);
    importFile->setObjectName(QStringLiteral("mnuFileImport"));
    file->addSeparator();
    layout->setMenuBar(menus);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("大类："), this);
    filter_ = new QComboBox(this);
    filter_->setObjectName(QStringLiteral("cboCategory"));
    filter_->addItem(QStringLiteral("全部"), 0);
    for (int k = 1; k <= design::kCategoryCount; ++k)
        filter_->addItem(QString::number(k), k);
    label->setBuddy(filter_);
    row->addWidget(label);
    row->addWidget(filter_);
    row->addStretch(1);
    layout->addLayout(row);

    model_ = new GalleryModel(designs_, this);
    view_ = new QListView(this);
    view_->setObjectName(QStringLiteral("lstDesigns"));
    view_->setViewMode(QListView::IconMode);
    view_->setMovement(QListView::Static);
    view_->setResizeMode(QListView::Adjust);
    view_->setUniformItemSizes(true);
    // Laid out a batch at a time between other events: a long list (or a
    // design added to it) shows its first screen at once and never holds
    // the window's thread for its whole length.
    view_->setLayoutMode(QListView::Batched);
    view_->setBatchSize(2000);
    view_->setIconSize(QSize(GalleryModel::kThumbnailSide, GalleryModel::kThumbnailSide));
    view_->setGridSize(QSize(GalleryModel::kThumbnailSide + 24, GalleryModel::kThumbnailSide + 48));
    view_->setWordWrap(true);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setModel(model_);
    layout->addWidget(view_, 1);

    connect(filter_, &QComboBox::currentIndexChanged, this, [this] {
        model_->reload(filter_->currentData().toInt());
        selectRow(0);
    });
    connect(view_, &QListView::activated, this, [this] { openSelected(); });

    // The keys, and the same under "文件" with the key shown beside them
    // (the key is the window's shortcut, the entry only names it).
    const struct {
        QKeySequence key;
        QString entry, entryName, shortcutName;
        void (GalleryWindow::*action)();
    } commands[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_E), QStringLiteral("导出图片…"), QStringLiteral("mnuFileExportPictures"),
         QString(), &GalleryWindow::exportSelected},
        {QKeySequence(Qt::CTRL | Qt::Key_P), QStringLiteral("打印…"), QStringLiteral("mnuFilePrint"),
         QStringLiteral("PrintLayoutShortcut"), &GalleryWindow::printSelected},
        {QKeySequence(Qt::Key_Delete), QStringLiteral("删除"), QStringLiteral("mnuFileDelete"), QString(),
         &GalleryWindow::deleteSelected},
    };
    for (const auto& c : commands) {
        auto* shortcut = new QShortcut(c.key, this);
        shortcut->setObjectName(c.shortcutName);
        connect(shortcut, &QShortcut::activated, this, c.action);
        QAction* entry = file->addAction(c.entry + u'\t' + c.key.toString(QKeySequence::NativeText), this, c.action);
        entry->setObjectName(c.entryName);
    }
    setTabOrder(filter_, view_);
    forms::installHelpKey(this);
}

void GalleryWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    if (!model_->rowCount() || !view_->currentIndex().isValid())
        selectRow(0);
    view_->setFocus();
    const QString why = designs_.unavailable();
    if (!why.isEmpty() && !toldUnavailable_) {
        toldUnavailable_ = true;
        tell(why);
    }
}

void GalleryWindow::refresh()
{
    const std::vector<std::int64_t> selected = selectedIds();
    const int current = view_->currentIndex().row();
    model_->reload(filter_->currentData().toInt());
    const int row = selected.empty() ? current : model_->rowOf(selected.front());
    selectRow(row >= 0 ? row : std::max(0, std::min(current, model_->rowCount() - 1)));
}

void GalleryWindow::takeIn(const KeptEntry& entry)
{
    const bool wasEmpty = model_->rowCount() == 0;
    model_->insert(entry);
    if (wasEmpty)
        selectRow(0);
}

void GalleryWindow::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex index = model_->index(row);
    view_->setCurrentIndex(index);
    view_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    view_->scrollTo(index);
}

std::vector<std::int64_t> GalleryWindow::selectedIds() const
{
    std::vector<std::int64_t> ids;
    QModelIndexList rows = view_->selectionModel()->selectedIndexes();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows)
        ids.push_back(model_->entry(index.row()).id);
    return ids;
}

void GalleryWindow::tell(const QString& text, MessageIcon icon)
{
    services_.messages->inform(this, text, forms::kNoticeTitle, icon);
}

DesignViewer* GalleryWindow::openSelected()
{
    const QModelIndex current = view_->currentIndex();
    if (!current.isValid())
        return nullptr;
    const std::int64_t id = model_->entry(current.row()).id;
    std::erase_if(viewers_, [](const auto& open) { return open.second.isNull() || !open.second->isVisible(); });
    for (const auto& [openId, open] : viewers_) {
        if (openId == id) {
            open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    QString why;
    const std::optional<KeptScene> kept = designs_.load(id, &why);
    if (!kept) {
        tell(QStringLiteral("这个图案打不开：%1").arg(why));
        return nullptr;
    }
    if (viewers_.size() >= kMostViewers) {
        viewers_.front().second->close();
        viewers_.erase(viewers_.begin());
    }
    auto* viewer = new DesignViewer(services_, kept->scene, kept->kept, this);
    placeBesideIfNobodyPlaces(viewer, this);
    viewers_.emplace_back(id, viewer);
    viewer->show();
    viewer->activateWindow();
    return viewer;
}

void GalleryWindow::deleteSelected()
{
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty())
        return;
    const QString question = ids.size() == 1 ? QStringLiteral("删除选中的图案吗？")
                                             : QStringLiteral("删除选中的 %1 个图案吗？").arg(ids.size());
    if (!services_.messages->ask(this, question, QStringLiteral("询问"), MessageBoxes::Default::No))
        return;
    const int row = view_->currentIndex().row();
    QString why;
    if (!designs_.remove(ids, &why))
        tell(QStringLiteral("图案没有删除：%1").arg(why));
    view_->selectionModel()->clearSelection();
    model_->reload(filter_->currentData().toInt());
    selectRow(std::min(row, model_->rowCount() - 1));
}

void GalleryWindow::exportSelected()
{
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        tell(QStringLiteral("请先选择要导出的图案。"), MessageIcon::Information);
        return;
    }
    const auto choice = services_.exports->askFolderExport(this, lastExport_, static_cast<int>(ids.size()));
    if (!choice)
        return;
    lastExport_ = *choice;
    // A relative folder is taken in the program folder, as every export takes it.
    const QString folderPath = designer::exportFolderFor(choice->folder, programDirectory());
    const QDir folder(folderPath);
    if (folderPath.isEmpty() || !folder.exists()) {
        tell(folderPath.isEmpty() ? QStringLiteral("没有选择文件夹。")
                                  : QStringLiteral("文件夹不存在：%1").arg(folderPath));
        return;
    }
    // Files it would replace: asked once, before the first.
    std::vector<KeptEntry> entries;
    bool replaces = false;
    for (std::int64_t id : ids) {
        const int row = model_->rowOf(id);
        if (row < 0)
            continue;
        entries.push_back(model_->entry(row));
        replaces = replaces || QFileInfo::exists(folder.filePath(exportedFileName(entries.back())));
    }
    if (replaces && !services_.messages->ask(this, QStringLiteral("文件已经存在，是否覆盖文件？"), QStringLiteral("询问")))
        return;
    const auto progress = services_.exports->startProgress(this, QStringLiteral("正在导出收藏的图案……"),
                                                           static_cast<int>(entries.size()));
    int written = 0;
    bool cancelled = false;
    for (const KeptEntry& entry : entries) {
        if (progress->cancelled()) {
            cancelled = true;
            break;
        }
        QString why;
        bool done = false;
        if (const std::optional<KeptScene> kept = designs_.load(entry.id, &why)) {
            NoSteps steps;
            const designer::ExportOutcome outcome = designer::exportScene(
                kept->scene, {choice->scale, choice->dotsPerInch, folder.filePath(exportedFileName(entry))}, steps);
            done = outcome.kind == designer::ExportOutcome::Kind::Written;
            why = outcome.error;
        }
        if (!done) {
            tell(QStringLiteral("%1 没有导出：%2\n之前已导出 %3 个图案。").arg(exportedFileName(entry), why).arg(written));
            return;
        }
        ++written;
        progress->setValue(written);
    }
    const QString where = QDir::toNativeSeparators(folder.absolutePath());
    tell(cancelled ? QStringLiteral("导出已取消，之前已导出 %1 个图案到文件夹：\n%2").arg(written).arg(where)
                   : QStringLiteral("已导出 %1 个图案到文件夹：\n%2").arg(written).arg(where),
         MessageIcon::Information);
}

void GalleryWindow::printSelected()
{
    if (!view_->currentIndex().isValid()) {
        tell(model_->rowCount() ? QStringLiteral("请先选择要打印的图案。") : QStringLiteral("没有可以打印的图案。"),
             MessageIcon::Information);
        return;
    }
    QString why;
    const std::optional<KeptScene> kept = designs_.load(model_->entry(view_->currentIndex().row()).id, &why);
    if (!kept) {
        tell(QStringLiteral("这个图案打不开：%1").arg(why));
        return;
    }
    if (print_) {
        print_(this, kept->scene);
        return;
    }
    printing::RedrawnPrintSource source(QSize(scene::kDesignPixels, scene::kDesignPixels),
                                        [scene = kept->scene](int scale) { return scene::renderScene(scene, scale); });
    printing::askAndPrint(this, services_, source);
}

void GalleryWindow::exportDesignFile()
{
    const std::vector<std::int64_t> ids = selectedIds();
    if (ids.empty()) {
        tell(QStringLiteral("请先选择要导出的图案。"), MessageIcon::Information);
        return;
    }
    // The dialog does not ask about replacing: the name written is known
    // only once ".lhd" is added, and that one is asked about.
    const auto typed = services_.files->saveFile(this, QStringLiteral("导出收藏"), kDesignFileFilter, QString(), false);
    if (!typed)
        return;
    QString why;
    const std::optional<QString> file = designer::exportFileFor(*typed, programDirectory(), &why, QStringLiteral(".lhd"));
    if (!file) {
        tell(why);
        return;
    }
    if (!forms::mayReplace(this, services_, *file))
        return;
    if (!designs_.exportTo(*file, ids, &why)) {
        tell(QStringLiteral("收藏没有导出：%1").arg(why));
        return;
    }
    tell(QStringLiteral("已导出 %1 个图案到：\n%2").arg(ids.size()).arg(QDir::toNativeSeparators(*file)),
         MessageIcon::Information);
}

void GalleryWindow::importDesignFile()
{
    const auto file = services_.files->openFile(this, QStringLiteral("导入收藏"), kDesignFileFilter, QString());
    if (!file)
        return;
    QString why;
    // In parts of a thousand: the number of designs is known once the file is checked.
    const auto progress = services_.exports->startProgress(this, QStringLiteral("正在导入收藏的图案……"), 1000);
    const std::optional<ImportOutcome> outcome =
        designs_.importWithProgress(*file, &why, [&progress](qint64 done, qint64 total) {
            progress->setValue(static_cast<int>(total > 0 ? done * 1000 / total : 0));
            return !progress->cancelled();
        });
    if (!outcome) {
        tell(QStringLiteral("这个文件不能导入：%1").arg(why));
        return;
    }
    refresh();
    tell(QStringLiteral("已加入 %1 个图案，跳过 %2 个已收藏的图案。").arg(outcome->added).arg(outcome->skipped),
         MessageIcon::Information);
}

}   // namespace lh::gallery
