// Per-user settings on QSettings, in INI format wherever they are kept.
#include "runtime/settings.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <sys/stat.h>
#include <cstring>
#include <memory>
#include <string>

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
