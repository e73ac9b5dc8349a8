#pragma once
// Windows are built from tables of control rows: name (also the Qt
// objectName), kind, caption, twips rectangle in the parent's coordinates,
// colours, font, visibility and tab order. Colours are always set through the
// palette; fonts name the window faces ("宋体", "Arial") that engine/Fonts
// resolves onto the installed ones.

#include "forms/Controls.h"
#include "forms/Twips.h"

#include <QString>

#include <span>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lh::forms {

enum class Kind {
    Label,          // QLabel, text at the top left
    Button,         // QPushButton; back is the face colour (none: the style's, not the window's)
    FlatButton,     // push button drawn flat in its face colour with a thin darker border
    CheckBox,       // QCheckBox on a panel of its face colour
    EditableList,   // editable QComboBox whose open list shows every item whole
    TextBox,        // QLineEdit
    PasswordBox,    // QLineEdit showing '*' for every character, in a thin sunken frame
    HScrollBar,     // horizontal QScrollBar
    VScrollBar,     // vertical QScrollBar
    Image,          // ImageBox
    PictureBox,     // PicturePane; lineWidth is its sunken border in pixels (0: none)
    Panel,          // QFrame filled with back
    Rectangle,      // ShapeBox: border fore (lineWidth pixels), fill back or none
    RoundedRectangle,
    Oval,
};

struct TwipsBox {
    int left = 0, top = 0, width = 0, height = 0;
};

// face null: the parent's font (bold still applies); points 0: its size.
struct FontSpec {
    const char* face = "宋体";
    double points = 9;
    bool bold = false;
};

inline constexpr FontSpec kInheritFont{nullptr, 0, false};
inline constexpr FontSpec kInheritBold{nullptr, 0, true};

struct Row {
    const char* name;
    Kind kind;
    const char* caption = "";   // UTF-8; a text box's initial text
    TwipsBox box{};
    const char* fore = nullptr;   // "#RRGGBB"; null keeps the style's
    const char* back = nullptr;
    FontSpec font{};
    bool visible = true;
    int tabIndex = -1;   // rows with an index take the first tab places, in its order
    int lineWidth = 1;   // shapes and picture boxes: border width in pixels
};

// The window itself: objectName, caption, background and default font.
struct WindowLook {
    const char* name;
    const char* caption;
    const char* back;
    FontSpec font{};
};

void applyWindowLook(QWidget* window, const WindowLook& look);

// Makes one control as a child of parent.
QWidget* makeControl(QWidget* parent, const Row& row);

// Makes every row as a child of parent, then chains the tab order of the rows
// that carry a tab index.
void buildControls(QWidget* parent, std::span<const Row> rows);

// Text and background colours through the palette (null leaves one as is).
void setColours(QWidget* w, const char* fore, const char* back);
QColor hexColour(const char* text);

// The QFont of a face spec for a widget under parent.
QFont fontOf(const FontSpec& spec, const QWidget* parent);

// Pixels a button's caption keeps clear of its edges on each side.
inline constexpr int kCaptionMargin = 3;

// The font in which `caption` fits `room` pixels across: `font` itself where
// it fits; else narrowed, down to three quarters of its width, then smaller,
// down to 9 pixels. Buttons made by a table get it for their caption.
QFont fittingFont(const QFont& font, const QString& caption, int room);

// A control made by a table, found by name below window; null when absent.
template <class W>
W* control(const QWidget* window, const char* name)
{
    return window->findChild<W*>(QString::fromLatin1(name));
}

// A check box made by the table, with the panel that shows its face colour.
QCheckBox* checkBox(const QWidget* window, const char* name);

}   // namespace lh::forms
