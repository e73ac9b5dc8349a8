#pragma once
// The gallery "蓝禾图案收藏": the kept designs as thumbnails, newest first,
// with their category and date, filtered by category. Enter or a double
// click opens the selected design drawn again (a design already open comes
// to the front; at most kMostViewers are open, a new one closing the one
// opened longest ago); Delete removes the selected ones after a question;
// Ctrl+E exports them into a folder at 1, 2, 4 or 8 times their size;
// Ctrl+P prints the selected one. The menu "文件" holds these three with
// their keys, writes the selected designs into a design file to share and
// adds the designs of such a file.

#include "gallery/KeptDesigns.h"
#include "platform/Services.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QComboBox;
class QListView;

namespace lh::gallery {

class GalleryModel;
class DesignViewer;

// The file name of a kept design exported into a folder.
QString exportedFileName(const KeptEntry& entry);

class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    GalleryWindow(const PlatformServices& services, KeptDesigns& designs, QWidget* parent = nullptr);

    // Reads the designs again (an import, say) and keeps the selection where
    // it can.
    void refresh();
    // A design just kept in a designer window: listed in its place at once,
    // without reading the list again.
    void takeIn(const KeptEntry& entry);

    // Viewers open at once.
    static constexpr std::size_t kMostViewers = 8;

    // Prints a design in place of the print layout dialog (tests).
    void setPrintAction(std::function<void(QWidget* parent, const scene::DesignScene&)> print)
    {
        print_ = std::move(print);
    }

    GalleryModel& model() { return *model_; }
    QListView* view() const { return view_; }
    std::vector<std::int64_t> selectedIds() const;

    DesignViewer* openSelected();
    void deleteSelected();
    void exportSelected();
    void printSelected();
    void exportDesignFile();
    void importDesignFile();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void selectRow(int row);
    void tell(const QString& text, MessageIcon icon = MessageIcon::Exclamation);

    const PlatformServices& services_;
    KeptDesigns& designs_;
    GalleryModel* model_ = nullptr;
    QComboBox* filter_ = nullptr;
    QListView* view_ = nullptr;
    FolderExportChoice lastExport_;
    std::function<void(QWidget*, const scene::DesignScene&)> print_;
    bool toldUnavailable_ = false;
    // The open viewers by design, oldest first.
    std::vector<std::pair<std::int64_t, QPointer<DesignViewer>>> viewers_;
};

}   // namespace lh::gallery
