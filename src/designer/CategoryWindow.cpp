#include "designer/CategoryWindow.h"

#include "designer/CategoryLayout.h"
#include "designer/DesignerCore.h"

#include "core/Numeric.h"
#include "design/WindowTexts.h"
#include "drawing/StarPolygon.h"
#include "engine/RasterSurface.h"
#include "forms/SurfaceView.h"
#include "forms/FormToolkit.h"
#include "forms/Navigator.h"
#include "platform/Services.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace lh::designer {

namespace {

constexpr int kSurfacePixels = scene::kDesignPixels;

const char* const kWindowNames[] = {"",      "",      "Form2", "Form3", "Form4",  "Form5",
                                    "Form6", "Form7", "Form8", "Form9", "Form10", "Form11"};

int clampedCategory(int category) { return category < 2 || category > 11 ? 2 : category; }

}   // namespace

void drawTestStar(Surface& surface, const QString& pointsText)
{
    surface.clear();
    try {
        drawing::DrawStarPolygon(surface, 1200, 1200, 3600, 3600, toInt16(parseNumber(pointsText)), 0, rgb(0, 250, 0));
    } catch (const StepFailure&) {
        // Not a 16-bit number: the surface stays cleared.
    }
}

CategoryWindow::CategoryWindow(const PlatformServices& services, Navigator& navigator, int category, QWidget* parent)
    : CategoryWindow(services, navigator, category, std::make_unique<RasterSurface>(kSurfacePixels, kSurfacePixels),
                     parent)
{}

CategoryWindow::CategoryWindow(const PlatformServices& services, Navigator& navigator, int category,
                               std::unique_ptr<Surface> surface, QWidget* parent)
    : QWidget(parent, Qt::Window), services_(services), navigator_(navigator), category_(clampedCategory(category))
{
    const bool hidden = category_ == 11;
    const QByteArray caption = (hidden ? QStringLiteral("蓝禾艺术图案设计") : categoryCaption(category_)).toUtf8();
    forms::applyWindowLook(this, {kWindowNames[category_], caption.constData(), "#004040", {"宋体", 9, false}});

    const char* ownButton = hidden ? "Command17" : nullptr;
    static const char* const kOwnButtons[] = {"",          "",          "Command9",  "Command10",
                                              "Command11", "Command12", "Command13", "Command14",
                                              "Command15", "Command16", "Command17"};
    if (!ownButton)
        ownButton = kOwnButtons[category_];
    core_ = new DesignerCore(*this, services, navigator, {category_, ownButton, "Label7"}, std::move(surface));
    const std::vector<forms::Row> rows = categoryControls(category_);
    forms::buildControls(this, rows);
    // The surface covers the test strip.
    core_->view().raise();

    Form_Load();
    core_->load();

    // The whole layout where the screen allows it.
    QSize size = categoryLayoutSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
}

CategoryWindow::~CategoryWindow() = default;

Surface& CategoryWindow::surface() { return core_->surface(); }

std::int32_t CategoryWindow::designCount() const { return core_->designCount(); }

void CategoryWindow::Form_Load()
{
    const QHash<QString, QString> texts = design::initialWindowTexts(category_);
    for (const char* name : {"Text2", "Text3", "Text4"})
        forms::control<QLineEdit>(this, name)->setText(texts.value(QString::fromLatin1(name)));
    if (auto* info = forms::control<QLabel>(this, "Label12")) {
        // Fifteen lines have to fit the label, a little closer than the font's own spacing.
        info->setTextFormat(Qt::RichText);
        info->setText(QStringLiteral("<p style=\"line-height: 86%; margin: 0\">%1</p>")
                          .arg(informationText().toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"))));
    }
    if (auto* fill = forms::checkBox(this, "Check1"))
        fill->setChecked(true);

    if (category_ != 11) {
        std::array<forms::ImageBox*, 5> previews{};
        for (int i = 0; i < 5; ++i)
            previews[i] =
                forms::control<forms::ImageBox>(this, QByteArray("Image" + QByteArray::number(i + 1)).constData());
        core_->setPreviews(previews);
    }

    const QList<QPushButton*> strip = findChildren<QPushButton*>(QStringLiteral("Command1"));
    for (int index = 0; index < strip.size(); ++index)
        connect(strip[index], &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
    connect(forms::control<QPushButton>(this, "Command2"), &QPushButton::clicked, this, [this] { Command2_Click(); });
    if (category_ != 11) {
        // Print and crop open the main window's tools; the hidden window's print button does nothing.
        connect(forms::control<QPushButton>(this, "Command3"), &QPushButton::clicked, this,
                [this] { navigator_.openPrinting(navigator_.mainWindow()); });
        connect(forms::control<QPushButton>(this, "Command18"), &QPushButton::clicked, this,
                [this] { navigator_.openCapture(navigator_.mainWindow()); });
    }
}

void CategoryWindow::Command1_Click(int)
{
    drawTestStar(core_->surface(), forms::control<QLineEdit>(this, "Text1")->text());
    core_->present();
}

SaveOutcome CategoryWindow::Command2_Click()
{
    return SaveDesignAsBitmap(this, services_, saveDialog_, [this] { return core_->surface().image(); });
}

}   // namespace lh::designer
