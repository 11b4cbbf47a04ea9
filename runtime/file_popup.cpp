// The file pop-up of the user-interface runtime (ui.h): FileSelectPopup on Qt's
// own file dialog, or the answer of a stand-in that a test has installed
// (widgets.h); the program installs none.

#include "runtime/ui.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <cstring>
#include <string>

#include "runtime/translate.h"
#include "runtime/util.h"
#include "runtime/widgets.h"

namespace kvr {

static FileDialogStandIn g_fileStandIn = nullptr;

void SetFileDialogStandIn(FileDialogStandIn fn)
{
    g_fileStandIn = fn;
}

}  // namespace kvr

using namespace kvr;

static const int PATH_MAX_BYTES = RT_PATH_LEN;  // the program's path buffers

int FileSelectPopup(const char* defaultDir, const char* defaultName, const char* typeList, const char* title,
                    int buttonLabel, int restrictDir, int restrictExt, int allowCancel, int allowMakeDir, char* path)
{
    (void)restrictDir;  // a Qt file dialog cannot be held to one directory
    if (!Initialised()) return Fail(UIE_NOT_INITIALISED, "InitRuntime has not been called");
    if (!path) return Fail(UIE_BAD_VALUE, "no path buffer");

    int result = -1;
    QByteArray chosen;
    if (g_fileStandIn) {
        std::string answer;
        result = g_fileStandIn({defaultDir, defaultName, typeList, title, buttonLabel}, &answer);
        chosen = QByteArray::fromStdString(answer);
    }
    if (result < 0) {
        QFileDialog dlg(nullptr, Shown(QString::fromLatin1(title ? title : "")),
                        QFile::decodeName(defaultDir ? defaultDir : ""));
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setOption(QFileDialog::ReadOnly, !allowMakeDir);
        QString types = QString::fromLatin1(typeList ? typeList : "").replace(';', ' ');
        QStringList filters;
        if (!types.trimmed().isEmpty()) filters << types.trimmed();
        if (!restrictExt || filters.isEmpty()) filters << "*";
        dlg.setNameFilters(filters);
        if (buttonLabel == 0) {
            dlg.setAcceptMode(QFileDialog::AcceptSave);
            dlg.setFileMode(QFileDialog::AnyFile);
            dlg.setLabelText(QFileDialog::Accept, Shown(TR("Save")));
        } else {
            dlg.setAcceptMode(QFileDialog::AcceptOpen);
            dlg.setFileMode(QFileDialog::ExistingFile);
            dlg.setLabelText(QFileDialog::Accept, Shown(buttonLabel == 1 ? TR("OK") : TR("Load")));
        }
        if (!allowCancel) dlg.setLabelText(QFileDialog::Reject, Shown(TR("Close")));
        if (defaultName && *defaultName) dlg.selectFile(QFile::decodeName(defaultName));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
            result = 0;
        } else {
            QString file = dlg.selectedFiles().first();
            result = QFileInfo::exists(file) ? 1 : 2;
            chosen = QFile::encodeName(file);
        }
    }
    path[0] = '\0';
    if (result <= 0) return 0;
    if (chosen.size() >= PATH_MAX_BYTES)
        return Fail(UIE_BAD_VALUE,
                    QString("path of %1 bytes does not fit the %2-byte buffer").arg(chosen.size()).arg(PATH_MAX_BYTES));
    std::memcpy(path, chosen.constData(), size_t(chosen.size()));
    path[chosen.size()] = '\0';
    return result;
}
