#pragma once
// The export and batch dialogs of the designer windows and the progress of
// long exports, on Qt's widgets. Their "浏览…" opens the program's own file
// and folder dialogs (QtFileDialogs).

#include "platform/QtServices.h"
#include "platform/Services.h"

namespace lh {

class QtExportDialogs final : public ExportDialogs {
public:
    std::optional<ExportChoice> askExport(QWidget* parent, const ExportChoice& initial) override;
    std::optional<BatchChoice> askBatch(QWidget* parent, const BatchChoice& initial) override;
    std::optional<FolderExportChoice> askFolderExport(QWidget* parent, const FolderExportChoice& initial,
                                                      int designs) override;
    // A progress dialog that shows itself after half a second.
    std::unique_ptr<Progress> startProgress(QWidget* parent, const QString& label, int total) override;

private:
    QtFileDialogs files_;
};

}   // namespace lh
