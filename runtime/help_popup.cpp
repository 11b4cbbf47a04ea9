// Texts and documents for the operator: a message pop-up that does not hold
// the line up (it is no modal loop; the program goes on measuring while it
// is open) and a document opened in the desktop's viewer. A test reads what
// was shown through the stand-ins of widgets.h.
#include "runtime/translate.h"
#include "runtime/ui.h"
#include "runtime/widgets.h"

#include <QDesktopServices>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

namespace kvr {

static QPointer<QMessageBox> g_popup;
static DocumentStandIn g_documentStandIn = nullptr;

void SetDocumentStandIn(DocumentStandIn fn)
{
    g_documentStandIn = fn;
}

QMessageBox* OpenTextPopup(void)
{
    return g_popup.data();
}

}  // namespace kvr

using namespace kvr;

int TextPopup(const char* title, const char* text)
{
    if (!Initialised()) return Fail(UIE_NOT_INITIALISED, "InitRuntime has not been called");
    if (!title || !text) return Fail(UIE_BAD_VALUE, "no text");
    if (!g_popup) {
        g_popup = new QMessageBox();
        g_popup->setAttribute(Qt::WA_DeleteOnClose);
        g_popup->setStandardButtons(QMessageBox::Close);
        g_popup->setTextFormat(Qt::PlainText);
        g_popup->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    g_popup->setWindowTitle(Shown(QString::fromLatin1(title)));
    g_popup->setText(Shown(QString::fromLatin1(text)));
    g_popup->show();
    g_popup->raise();
    g_popup->activateWindow();
    return 0;
}

int OpenDocument(const char* path)
{
    if (!path || !QFile::exists(QFile::decodeName(path)))
        return Fail(UIE_FILE_NOT_FOUND, QString("no document %1").arg(QFile::decodeName(path ? path : "")));
    if (g_documentStandIn) return g_documentStandIn(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(path))) ? 0 : -1;
}
