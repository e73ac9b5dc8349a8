#include "forms/FormToolkit.h"
#include "forms/ProgramKeys.h"

#include "engine/Fonts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QShortcut>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <vector>

namespace lh::forms {

namespace {

// The windows' push button. Enter and Space press it while it has the focus
// (in a dialog Enter keeps meaning the dialog's default button). Drawn flat
// when its row asks for it or gives it a face colour: the face colour as it
// is, a one-pixel border of half its brightness, a slightly darker face while
// pressed and a dotted frame around the caption while it has the focus;
// otherwise the style draws it.
class FormButton final : public QPushButton {
public:
    FormButton(const QString& caption, bool flat, QWidget* parent) : QPushButton(caption, parent), flat_(flat) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && event->modifiers() == Qt::NoModifier && !qobject_cast<QDialog*>(window())) {
            animateClick();
            return;
        }
        QPushButton::keyPressEvent(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        if (!flat_) {
            QPushButton::paintEvent(event);
            return;
        }
        QPainter p(this);
        const QColor face = palette().color(QPalette::Button);
        p.fillRect(rect(), isDown() ? face.darker(120) : face);
        p.setPen(face.darker(200));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        QStyleOptionButton option;
        initStyleOption(&option);
        const bool focused = option.state & QStyle::State_HasFocus;
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        style()->drawControl(QStyle::CE_PushButtonLabel, &option, &p, this);
        if (focused) {
            QPen dotted(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
            p.setPen(dotted);
            p.drawRect(rect().adjusted(3, 3, -4, -4));
        }
    }

private:
    bool flat_;
};

// The program's keys (the windows' shortcuts) come before what a text box or
// list would do with the same key: Ctrl+E in a line edit exports the design
// instead of moving to the end of the line.
class ProgramKeysFirst final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride || !watched->isWidgetType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::ShiftModifier)
            return false;   // typing stays typing
        const QKeySequence pressed(key->keyCombination());
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        for (const QShortcut* shortcut : window->findChildren<QShortcut*>()) {
            if (shortcut->isEnabled() && shortcut->key() == pressed) {
                event->ignore();   // not taken by the widget: the shortcut fires
                return true;
            }
        }
        return false;
    }
};

// An editable list whose open list is as wide as its longest item, so a long
// greeting shows whole instead of cut in the middle.
class EditableList final : public QComboBox {
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        const QFontMetrics metrics(view()->font());
        int widest = width();
        for (int i = 0; i < count(); ++i)
            widest = std::max(widest, metrics.horizontalAdvance(itemText(i)) + 4 * metrics.averageCharWidth());
        view()->setTextElideMode(Qt::ElideNone);
        view()->setMinimumWidth(widest);
        QComboBox::showPopup();
        // The open list stands on the item the text names (a typed text that
        // names none leaves the list as it opened).
        const int named = findText(currentText(), Qt::MatchExactly);
        if (named >= 0) {
            view()->setCurrentIndex(model()->index(named, modelColumn(), rootModelIndex()));
            view()->scrollTo(view()->currentIndex());
        }
    }
};

// A check box whose caption wraps onto further lines when it is wider than
// the box, as captions of the window layouts do; a caption that fits is
// drawn by the style as usual.
class WrappingCheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QStyleOptionButton option;
        initStyleOption(&option);
        const QRect textArea = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
        const QString plain = QString(text()).remove(QLatin1Char('&'));
        if (fontMetrics().horizontalAdvance(plain) <= textArea.width()) {
            QCheckBox::paintEvent(event);
            return;
        }
        QStylePainter painter(this);
        QStyleOptionButton box = option;
        box.text.clear();
        box.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
        box.rect.moveTop((height() - box.rect.height()) / 2);
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, box);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, text());
    }
};

QString textOf(const char* utf8) { return utf8 ? QString::fromUtf8(utf8) : QString(); }

QWidget* makeWidget(QWidget* parent, const Row& row)
{
    const QString caption = textOf(row.caption);
    switch (row.kind) {
    case Kind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case Kind::Button:
    case Kind::FlatButton: {
        // A coloured face shows its colour as it is.
        auto* button = new FormButton(caption, row.kind == Kind::FlatButton || row.back != nullptr, parent);
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::CheckBox: {
        // The face colour lies on a plain panel under the check box, so the
        // box itself keeps the style's light indicator.
        if (row.back) {
            auto* face = new ShapeBox(ShapeBox::Form::Rectangle, hexColour(row.back), 0, hexColour(row.back), parent);
            face->setObjectName(QString::fromLatin1(row.name) + QStringLiteral("Face"));
            face->setGeometry(twipsRect(row.box.left, row.box.top, row.box.width, row.box.height));
            if (!row.visible)
                face->hide();
        }
        return new WrappingCheckBox(caption, parent);
    }
    case Kind::EditableList: {
        auto* list = new EditableList(parent);
        list->setEditable(true);
        list->setInsertPolicy(QComboBox::NoInsert);
        if (!caption.isEmpty())
            list->setEditText(caption);
        return list;
    }
    case Kind::TextBox: return new QLineEdit(caption, parent);
    case Kind::PasswordBox: {
        auto* box = new QLineEdit(parent);
        box->setEchoMode(QLineEdit::Password);
        // '*' for every character and the thin frame need a style sheet, and a
        // line edit under a style sheet paints its field and text from the
        // sheet, not from its palette: the row's colours go into the sheet too.
        QString sheet = QStringLiteral("QLineEdit { lineedit-password-character: 42; border: 1px inset #808080;");
        if (row.fore)
            sheet += QStringLiteral(" color: %1;").arg(hexColour(row.fore).name());
        if (row.back)
            sheet += QStringLiteral(" background: %1;").arg(hexColour(row.back).name());
        box->setStyleSheet(sheet + QStringLiteral(" }"));
        return box;
    }
    case Kind::HScrollBar: return new QScrollBar(Qt::Horizontal, parent);
    case Kind::VScrollBar: return new QScrollBar(Qt::Vertical, parent);
    case Kind::Image: return new ImageBox(parent);
    case Kind::PictureBox: return new PicturePane(row.lineWidth, parent);
    case Kind::Panel: return new QFrame(parent);
    case Kind::Rectangle:
    case Kind::RoundedRectangle:
    case Kind::Oval: {
        const ShapeBox::Form form = row.kind == Kind::Rectangle          ? ShapeBox::Form::Rectangle
                                    : row.kind == Kind::RoundedRectangle ? ShapeBox::Form::RoundedRectangle
                                                                         : ShapeBox::Form::Oval;
        return new ShapeBox(form, row.fore ? hexColour(row.fore) : QColor(Qt::black), row.lineWidth,
                            row.back ? std::optional<QColor>(hexColour(row.back)) : std::nullopt, parent);
    }
    }
    return new QWidget(parent);
}

bool isShape(Kind kind) { return kind == Kind::Rectangle || kind == Kind::RoundedRectangle || kind == Kind::Oval; }

}   // namespace

QColor hexColour(const char* text) { return QColor(QString::fromLatin1(text)); }

void setColours(QWidget* w, const char* fore, const char* back)
{
    QPalette p = w->palette();
    if (fore) {
        const QColor c = hexColour(fore);
        p.setColor(QPalette::WindowText, c);
        p.setColor(QPalette::Text, c);
        p.setColor(QPalette::ButtonText, c);
    }
    if (back) {
        const QColor c = hexColour(back);
        p.setColor(QPalette::Window, c);
        p.setColor(QPalette::Base, c);
        p.setColor(QPalette::Button, c);
    }
    w->setPalette(p);
    if (back)
        w->setAutoFillBackground(true);
}

QFont fontOf(const FontSpec& spec, const QWidget* parent)
{
    if (spec.face)
        return resolveFont(QString::fromUtf8(spec.face), spec.points, spec.bold);
    QFont f = parent ? parent->font() : QFont();
    f.setBold(spec.bold);
    if (spec.points > 0)
        f.setPixelSize(pointsToPixels(spec.points));
    return f;
}

QFont fittingFont(const QFont& font, const QString& caption, int room)
{
    const QString shown = QString(caption).remove(QLatin1Char('&'));
    auto fits = [&](const QFont& f) { return QFontMetrics(f).horizontalAdvance(shown) <= room; };
    if (shown.isEmpty() || fits(font))
        return font;
    QFont f = font;
    for (int stretch = 95; stretch >= 75; stretch -= 5) {
        f.setStretch(stretch);
        if (fits(f))
            return f;
    }
    for (int pixels = QFontInfo(font).pixelSize() - 1; pixels >= 9; --pixels) {
        f.setPixelSize(pixels);
        if (fits(f))
            return f;
    }
    return f;
}

void applyWindowLook(QWidget* window, const WindowLook& look)
{
    // Once for the program: its keys come before the text boxes' own.
    static QPointer<ProgramKeysFirst> programKeys;
    if (!programKeys && qApp) {
        programKeys = new ProgramKeysFirst(qApp);
        qApp->installEventFilter(programKeys);
    }
    window->setObjectName(QString::fromLatin1(look.name));
    window->setWindowTitle(textOf(look.caption));
    if (look.back) {
        // Only the window's own roles: buttons keep the style's face.
        QPalette p = window->palette();
        p.setColor(QPalette::Window, hexColour(look.back));
        p.setColor(QPalette::Base, hexColour(look.back));
        window->setPalette(p);
        window->setAutoFillBackground(true);
    }
    if (look.font.face || look.font.bold || look.font.points > 0)
        window->setFont(fontOf(look.font, window));
    installHelpKey(window);
}

QWidget* makeControl(QWidget* parent, const Row& row)
{
    QWidget* w = makeWidget(parent, row);
    w->setObjectName(QString::fromLatin1(row.name));
    w->setGeometry(twipsRect(row.box.left, row.box.top, row.box.width, row.box.height));
    if (row.font.face || row.font.bold || row.font.points > 0)
        w->setFont(fontOf(row.font, parent));
    switch (row.kind) {
    case Kind::Button:
    case Kind::FlatButton: {
        // A caption wider than its button is narrowed to keep off its edges.
        const QFont fitted = fittingFont(w->font(), textOf(row.caption), w->width() - 2 * kCaptionMargin);
        if (fitted != w->font())
            w->setFont(fitted);
        // A coloured face keeps black captions unless the row says otherwise;
        // the frame keeps the colours of the window around it.
        if (row.back || row.fore) {
            QPalette p = w->palette();
            if (row.back)
                p.setColor(QPalette::Button, hexColour(row.back));
            p.setColor(QPalette::ButtonText, row.fore ? hexColour(row.fore) : QColor(Qt::black));
            w->setPalette(p);
            w->setAutoFillBackground(row.back != nullptr);
        }
        break;
    }
    case Kind::CheckBox: {
        setColours(w, row.fore, nullptr);
        QPalette p = w->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Text, Qt::black);
        w->setPalette(p);
        break;
    }
    case Kind::EditableList:
    case Kind::TextBox:
    case Kind::PasswordBox: {
        // The colours of the edit field: text and field background.
        QPalette p = w->palette();
        if (row.fore)
            p.setColor(QPalette::Text, hexColour(row.fore));
        if (row.back)
            p.setColor(QPalette::Base, hexColour(row.back));
        w->setPalette(p);
        break;
    }
    default:
        if (!isShape(row.kind))
            setColours(w, row.fore, row.back);
        break;
    }
    if (!row.visible)
        w->hide();
    return w;
}

void buildControls(QWidget* parent, std::span<const Row> rows)
{
    std::vector<std::pair<int, QWidget*>> tabbed;
    for (const Row& row : rows) {
        QWidget* w = makeControl(parent, row);
        if (row.tabIndex >= 0)
            tabbed.emplace_back(row.tabIndex, w);
    }
    std::stable_sort(tabbed.begin(), tabbed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < tabbed.size(); ++i)
        QWidget::setTabOrder(tabbed[i - 1].second, tabbed[i].second);
}

QCheckBox* checkBox(const QWidget* window, const char* name) { return control<QCheckBox>(window, name); }

}   // namespace lh::forms
