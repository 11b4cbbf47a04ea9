// Where an installed copy keeps its data, and where the file dialogs start.
// Apart from util.cpp, which the array-file fuzzer builds without Qt.

#include "runtime/util.h"

#include <cstring>

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtGlobal>

// Where the data folder lies from the bin folder; the build sets it from the
// install layout.
#ifndef KVORMX_DATA_FROM_BIN
#define KVORMX_DATA_FROM_BIN "../share/kvormx"
#endif

namespace {

const int kPathSize = RT_PATH_LEN;  // the program's path buffers

// Copies a folder name into a path buffer of the program; false when it does not fit.
bool PutDir(char* dir, const QString& path)
{
    QByteArray bytes = QFile::encodeName(QDir::cleanPath(path));
    if (bytes.isEmpty() || bytes.size() + 1 > kPathSize) return false;
    std::memcpy(dir, bytes.constData(), static_cast<size_t>(bytes.size()) + 1);
    return true;
}

}  // namespace

const char* QtVersion(void)
{
    return qVersion();
}

int GetDataDir(char* dir)
{
    if (!dir) return -1;
    char bin[kPathSize];
    if (GetProjectDir(bin) != 0) return -1;
    QFileInfo data(QDir(QFile::decodeName(bin)).filePath(QStringLiteral(KVORMX_DATA_FROM_BIN)));
    if (!data.isDir()) return -1;
    return PutDir(dir, data.canonicalFilePath()) ? 0 : -1;
}

int GetDefaultFileDir(char* dir)
{
    if (!dir) return -1;
    char bin[kPathSize], data[kPathSize];
    if (GetProjectDir(bin) != 0) return -1;
    // A build folder is the operator's own; an installed copy is not, and
    // its folder is usually not writable either.
    if (GetDataDir(data) != 0 && access(bin, W_OK) == 0) {
        std::strcpy(dir, bin);
        return 0;
    }
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QFileInfo(docs).isDir() && PutDir(dir, docs)) return 0;
    return PutDir(dir, QDir::homePath()) ? 0 : -1;
}
