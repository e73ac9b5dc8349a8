#include "platform/QtServices.h"

#include "engine/Fonts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QStringList>

namespace lh {

QString qtFilterFromPipeList(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        patterns.removeAll(QString());
        if (patterns.isEmpty())
            continue;
        const QString written = QStringLiteral("(") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
        // "*.*" meant every file; on Qt it would miss names without a dot.
        for (QString& p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        patterns.removeDuplicates();
        const QString shown = QStringLiteral("(") + patterns.join(QLatin1Char(' ')) + QStringLiteral(")");
        if (description.isEmpty())
            entries << shown;
        else if (description.endsWith(written))
            entries << description.left(description.size() - written.size()) + shown;
        else
            entries << description + QLatin1Char(' ') + shown;
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtFileDialogs::openFile(QWidget* parent, const QString& title, const QString& filter,
                                               const QString& directory)
{
    const QString name = QFileDialog::getOpenFileName(parent, title, directory, qtFilterFromPipeList(filter));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtFileDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                                               const QString& directory, bool askOverwrite)
{
    QFileDialog::Options options;
    if (!askOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    const QString name =
        QFileDialog::getSaveFileName(parent, title, directory, qtFilterFromPipeList(filter), nullptr, options);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<FontChoice> QtFontColorDialogs::chooseFont(QWidget* parent, const FontChoice& initial)
{
    // The dialog opens on the installed family that stands for the face, so
    // changing only the size keeps the face.
    QFont start = resolveFont(initial.face, initial.size > 0 ? initial.size : 9, false);
    if (initial.size > 0)
        start.setPointSizeF(initial.size);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, start, parent);
    if (!ok)
        return std::nullopt;
    FontChoice choice;
    choice.face = chosen.family() == start.family() ? initial.face : chosen.family();
    choice.size = static_cast<float>(chosen.pointSizeF() > 0 ? chosen.pointSizeF() : initial.size);
    return choice;
}

std::optional<Rgb> QtFontColorDialogs::chooseColor(QWidget* parent, Rgb initial)
{
    const QColor chosen = QColorDialog::getColor(colorFromRgb(initial), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return rgbFromColor(chosen);
}

void QtMessageBoxes::inform(QWidget* parent, const QString& text, const QString& title, MessageIcon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::Information;
    switch (icon) {
    case MessageIcon::Information: qtIcon = QMessageBox::Information; break;
    case MessageIcon::Question: qtIcon = QMessageBox::Question; break;
    case MessageIcon::Exclamation: qtIcon = QMessageBox::Warning; break;
    case MessageIcon::Critical: qtIcon = QMessageBox::Critical; break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtMessageBoxes::ask(QWidget* parent, const QString& text, const QString& title, Default byDefault)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(byDefault == Default::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

QColor colorFromRgb(Rgb value) { return QColor(redOf(value), greenOf(value), blueOf(value)); }

Rgb rgbFromColor(const QColor& colour)
{
    const QColor c = colour.toRgb();
    return rgb(c.red(), c.green(), c.blue());
}

}   // namespace lh
