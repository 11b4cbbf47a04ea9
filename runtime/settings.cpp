// Per-user settings on QSettings, in INI format wherever they are kept.
#include "runtime/settings.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "runtime/filewriter.h"

namespace {

std::string g_file;  // empty: the per-user file

std::unique_ptr<QSettings> Open()
{
    if (g_file.empty())
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "kvormx", "kvormx");
    return std::make_unique<QSettings>(QFile::decodeName(g_file.c_str()), QSettings::IniFormat);
}

}  // namespace

int SetSettingsFile(const char* path)
{
    // A FIFO or a device would hold the program in the first read until
    // somebody writes into it: only a regular file, or none yet, is taken.
    struct stat st;
    if (path && *path && stat(path, &st) == 0 && !S_ISREG(st.st_mode)) return -1;
    g_file = path ? path : "";
    return 0;
}

int GetSetting(const char* key, char* value, int size)
{
    if (!value || size < 1) return 0;
    value[0] = '\0';
    if (!key) return 0;
    auto s = Open();
    QVariant v = s->value(QString::fromLatin1(key));
    if (!v.isValid()) return 0;
    QByteArray bytes = QFile::encodeName(v.toString());
    // A cut path would name another file or port: too long counts as unset.
    if (bytes.size() >= size) return 0;
    std::memcpy(value, bytes.constData(), static_cast<size_t>(bytes.size()));
    value[bytes.size()] = '\0';
    return 1;
}

int PutSetting(const char* key, const char* value)
{
    if (!key || !value) return -1;
    auto s = Open();
    s->setValue(QString::fromLatin1(key), QFile::decodeName(value));
    s->sync();
    return s->status() == QSettings::NoError ? 0 : -1;
}

const char* SettingsFileName(void)
{
    static std::string name;
    name = QFile::encodeName(Open()->fileName()).toStdString();
    return name.c_str();
}

// The file renamed to its dated name beside it: 1, 0 without a file, -1.
static int MoveAside(char* movedTo, int size)
{
    const std::string file = SettingsFileName();
    struct stat st;
    if (stat(file.c_str(), &st) != 0) return 0;
    char stamp[32];
    WallClockStamp(stamp, sizeof stamp);
    std::string aside = file + "." + stamp;
    // Two resets within a second keep both old files.
    for (int k = 2; access(aside.c_str(), F_OK) == 0; k++) aside = file + "." + stamp + "-" + std::to_string(k);
    if (std::rename(file.c_str(), aside.c_str()) != 0) {
        std::snprintf(movedTo, static_cast<size_t>(size), "%s: %s", file.c_str(), std::strerror(errno));
        return -1;
    }
    std::snprintf(movedTo, static_cast<size_t>(size), "%s", aside.c_str());
    return 1;
}

int ResetSettings(char* movedTo, int size)
{
    if (!movedTo || size < 1) return -1;
    movedTo[0] = '\0';
    return MoveAside(movedTo, size);
}

int CheckSettings(char* movedTo, int size)
{
    if (!movedTo || size < 1) return -1;
    movedTo[0] = '\0';
    auto s = Open();
    const QString file = s->fileName();
    if (s->status() == QSettings::NoError && (!QFile::exists(file) || QFile(file).open(QIODevice::ReadOnly))) return 0;
    // What QSettings could still read goes into the new file.
    QMap<QString, QVariant> kept;
    for (const QString& key : s->allKeys()) kept.insert(key, s->value(key));
    s.reset();
    int moved = MoveAside(movedTo, size);
    if (moved <= 0) return moved;
    auto fresh = Open();
    for (auto it = kept.constBegin(); it != kept.constEnd(); ++it) fresh->setValue(it.key(), it.value());
    fresh->sync();
    return 1;
}
