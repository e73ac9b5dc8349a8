#include "platform/QtServices.h"

#include "engine/Fonts.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QFontDialog>
#include <QMessageBox>
#include <QStringList>

#include <sys/vfs.h>

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

QIcon NameOnlyIconProvider::icon(IconType type) const { return generic_.icon(type); }

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    return generic_.icon(info.isDir() ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QStringLiteral("文件夹");
    if (!info.isFile())
        return QStringLiteral("特殊文件");
    const QMimeType byName = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    return byName.isDefault() ? QStringLiteral("文件") : byName.comment();
}

bool isPseudoFileSystem(const QString& path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const char* root : {"/proc", "/sys", "/dev"})
        if (clean == QLatin1String(root) || clean.startsWith(QLatin1String(root) + u'/'))
            return true;
    struct statfs fs {};
    if (::statfs(QFile::encodeName(clean).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0:       // proc
    case 0x62656572:   // sysfs
    case 0x64626720:   // debugfs
    case 0x74726163:   // tracefs
    case 0x73636673:   // securityfs
    case 0x27e0eb:     // cgroup
    case 0x63677270:   // cgroup2
    case 0x1cd1:       // devpts
        return true;
    default: return false;
    }
}

QString dialogStartFolder(const QString& wanted)
{
    const QString folder = wanted.isEmpty() ? QDir::currentPath() : wanted;
    return isPseudoFileSystem(folder) ? programDirectory() : wanted;
}

namespace {

enum class DialogKind {
    Open,
    Save,
    Folder
};

// A file dialog that lists folders by names alone, starting outside the
// pseudo file systems; the name as typed is one name, taken in the folder
// on show.
std::optional<QString> runFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& directory, DialogKind kind, bool askOverwrite,
                                     QString& lastFolder)
{
    QFileDialog dialog(parent, title, dialogStartFolder(directory.isEmpty() ? lastFolder : directory),
                       qtFilterFromPipeList(filter));
    NameOnlyIconProvider icons;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(kind == DialogKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    switch (kind) {
    case DialogKind::Open: dialog.setFileMode(QFileDialog::ExistingFile); break;
    case DialogKind::Save: dialog.setFileMode(QFileDialog::AnyFile); break;
    case DialogKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!askOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QString name = dialog.selectedFiles().value(0);
    if (kind == DialogKind::Save) {
        // The typed text whole: quotes in a name do not make it a list.
        if (const auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            const QString typed = edit->text().trimmed();
            if (!typed.isEmpty())
                name = QDir(dialog.directory()).absoluteFilePath(typed);
        }
    }
    if (name.isEmpty())
        return std::nullopt;
    lastFolder = kind == DialogKind::Folder ? name : QFileInfo(name).absolutePath();
    return name;
}

}   // namespace

std::optional<QString> QtFileDialogs::openFile(QWidget* parent, const QString& title, const QString& filter,
                                               const QString& directory)
{
    return runFileDialog(parent, title, filter, directory, DialogKind::Open, false, lastFolder_);
}

std::optional<QString> QtFileDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                                               const QString& directory, bool askOverwrite)
{
    return runFileDialog(parent, title, filter, directory, DialogKind::Save, askOverwrite, lastFolder_);
}

std::optional<QString> QtFileDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& directory)
{
    return runFileDialog(parent, title, QString(), directory, DialogKind::Folder, false, lastFolder_);
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
