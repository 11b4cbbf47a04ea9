// Translation of the texts a person reads. The translations are the
// compiled catalogues of the Qt Linguist tools (kvormx_de.qm, made by
// lrelease at build time from i18n/kvormx_de.ts), read here directly: the
// runtime needs every source text, not only the lookup QTranslator offers,
// to find the formats that composed texts were made from.
//
// Index:
//   [SECTION] The catalogue
//   [SECTION] Formats
//   [SECTION] translate.h
#include "runtime/translate.h"

#include "runtime/settings.h"
#include "runtime/util.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// ---- [SECTION] The catalogue ----------------------------------------------------------------------

struct Format {
    std::string source;  // Latin-1, as the program writes it
    std::string translation;
    QRegularExpression pattern;  // the source with its conversions as groups
    int literal = 0;             // characters outside conversions: the more, the surer a match
};

std::string g_language = "en";
std::unordered_map<std::string, std::string> g_texts;  // source -> translation, Latin-1
std::vector<Format> g_formats;                         // with words of their own, the surest first
std::vector<Format> g_joins;                           // formats that only join texts ("%s - %s")
std::unordered_set<std::string> g_asIs;                // texts shown as they are (the sensor's own)

const char* Find(const std::string& text);
bool AsIs(const std::string& s);
std::vector<std::string> g_untranslated;
std::unordered_set<std::string> g_untranslatedSeen;
std::string g_results[64];  // composed translations, kept for a while
int g_nextResult = 0;

std::string Latin1(const QString& s)
{
    return s.toLatin1().toStdString();
}

quint32 Be32(const uchar* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3];
}

// The messages of a .qm catalogue: the tags of each message up to its end
// tag; source texts UTF-8, translations UTF-16 big-endian.
bool ReadCatalogue(const QString& path, std::vector<std::pair<QString, QString>>* out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray all = f.readAll();
    static const uchar kMagic[16] = {0x3c, 0xb8, 0x64, 0x18, 0xca, 0xef, 0x9c, 0x95,
                                     0xcd, 0x21, 0x1c, 0xbf, 0x60, 0xa1, 0xbd, 0xdd};
    if (all.size() < 16 || memcmp(all.constData(), kMagic, 16) != 0) return false;
    const uchar* p = reinterpret_cast<const uchar*>(all.constData());
    const int size = static_cast<int>(all.size());
    int at = 16;
    while (at + 5 <= size) {
        const uchar section = p[at];
        const quint32 length = Be32(p + at + 1);
        at += 5;
        if (length > quint32(size - at)) return false;
        if (section == 0x69) {  // the messages
            const int end = at + static_cast<int>(length);
            QString source, translation;
            bool hasTranslation = false;
            while (at < end) {
                const uchar tag = p[at++];
                if (tag == 1) {  // end of a message
                    if (hasTranslation && !source.isEmpty()) out->push_back({source, translation});
                    source.clear();
                    translation.clear();
                    hasTranslation = false;
                    continue;
                }
                if (tag == 5 || tag == 9) {  // obsolete fields of four bytes
                    at += 4;
                    continue;
                }
                if (at + 4 > end) return false;
                const quint32 n = Be32(p + at);
                at += 4;
                if (n == 0xFFFFFFFFu) continue;  // a translation left empty
                if (n > quint32(end - at)) return false;
                if (tag == 3) {
                    translation.clear();
                    for (quint32 i = 0; i + 1 < n; i += 2) translation += QChar(ushort(p[at + i] << 8 | p[at + i + 1]));
                    hasTranslation = !translation.isEmpty();
                } else if (tag == 6) {
                    source = QString::fromUtf8(reinterpret_cast<const char*>(p + at), static_cast<int>(n));
                }
                at += static_cast<int>(n);
            }
        } else {
            at += static_cast<int>(length);
        }
    }
    return true;
}

// ---- [SECTION] Formats ------------------------------------------------------------------------------

// One printf conversion at `i` of `f` ("%s", "%u", "%.3f", "%04X", "%%"):
// its length, and the kind: 's' text, 'n' number, 'c' one character, '%'.
int Conversion(const std::string& f, size_t i, char* kind)
{
    size_t j = i + 1;
    while (j < f.size() && std::strchr("-+ #0123456789.*", f[j])) j++;
    while (j < f.size() && std::strchr("hlLqjzt", f[j])) j++;
    if (j >= f.size()) return 0;
    const char c = f[j];
    if (c == '%')
        *kind = '%';
    else if (c == 's')
        *kind = 's';
    else if (c == 'c')
        *kind = 'c';
    else if (std::strchr("diuxXfFeEgGo", c))
        *kind = 'n';
    else
        return 0;
    return static_cast<int>(j - i + 1);
}

bool IsFormat(const std::string& s)
{
    for (size_t i = 0; i < s.size(); i++) {
        char kind = 0;
        if (s[i] == '%' && Conversion(s, i, &kind) && kind != '%') return true;
    }
    return false;
}

// A format with words of its own ("Port lost: %s"), not one that only
// joins texts ("%s - %s"), which would pass any text off as translated.
bool HasWords(const std::string& f)
{
    for (size_t i = 0; i < f.size(); i++) {
        char kind = 0;
        int n = f[i] == '%' ? Conversion(f, i, &kind) : 0;
        if (n) {
            i += static_cast<size_t>(n) - 1;
            continue;
        }
        if (std::isalpha(static_cast<unsigned char>(f[i]))) return true;
    }
    return false;
}

void AddFormat(const std::string& source, const std::string& translation, std::vector<Format>* to)
{
    Format f;
    f.source = source;
    f.translation = translation;
    QString re = "^";
    for (size_t i = 0; i < source.size();) {
        char kind = 0;
        int n = source[i] == '%' ? Conversion(source, i, &kind) : 0;
        if (n == 0 || kind == '%') {
            re += QRegularExpression::escape(QString(QChar(uchar(kind == '%' ? '%' : source[i]))));
            f.literal++;
            i += n ? n : 1;
            continue;
        }
        re += kind == 's' ? "(.*?)" : kind == 'c' ? "(.)" : "([-+0-9A-Fa-f.xXeE]+)";
        i += n;
    }
    re += "$";
    f.pattern = QRegularExpression(re, QRegularExpression::DotMatchesEverythingOption);
    to->push_back(f);
}

// The translation's conversions filled with what the source's captured, in
// order; a text argument translated where it can be (a name, a path or a
// device stays as it is, and is no text that slipped through).
std::string Compose(const Format& f, const QRegularExpressionMatch& m)
{
    std::string out;
    int arg = 1;
    const std::string& t = f.translation;
    for (size_t i = 0; i < t.size();) {
        char kind = 0;
        int n = t[i] == '%' ? Conversion(t, i, &kind) : 0;
        if (n == 0) {
            out += t[i++];
            continue;
        }
        if (kind == '%') {
            out += '%';
        } else {
            std::string value = Latin1(m.captured(arg++));
            const char* shown = kind == 's' ? Find(value) : nullptr;
            out += shown ? shown : value;
        }
        i += n;
    }
    return out;
}

const char* Keep(const std::string& text)
{
    std::string& slot = g_results[g_nextResult];
    g_nextResult = (g_nextResult + 1) % 64;
    slot = text;
    return slot.c_str();
}

void NoteUntranslated(const char* text)
{
    if (AsIs(text)) return;
    if (g_untranslatedSeen.insert(text).second) g_untranslated.push_back(text);
}

// Where a catalogue for `language` lies: the installed data folder, or
// beside the executable in a build.
QString CataloguePath(const std::string& language)
{
    char dir[RT_PATH_LEN];
    const QString name = QString("kvormx_%1.qm").arg(QString::fromStdString(language));
    if (GetDataDir(dir) == 0) {
        QString installed = QFile::decodeName(dir) + "/translations/" + name;
        if (QFile::exists(installed)) return installed;
    }
    if (GetProjectDir(dir) == 0) return QFile::decodeName(dir) + "/" + name;
    return name;
}

}  // namespace

// ---- [SECTION] translate.h ----------------------------------------------------------------------------

int SetLanguage(const char* code)
{
    std::string language = code ? code : "";
    if (language.empty()) {
        // The desktop's first language that has texts here; English otherwise.
        language = "en";
        for (const QString& ui : QLocale::system().uiLanguages()) {
            if (ui.startsWith("de")) {
                language = "de";
                break;
            }
            if (ui.startsWith("en")) break;
        }
    }
    g_texts.clear();
    g_formats.clear();
    g_joins.clear();
    g_untranslated.clear();
    g_untranslatedSeen.clear();
    g_language = "en";
    if (language == "en") return 0;
    if (language != "de") return -1;
    std::vector<std::pair<QString, QString>> messages;
    if (!ReadCatalogue(CataloguePath(language), &messages)) return -1;
    for (const auto& m : messages) {
        std::string source = Latin1(m.first), translation = Latin1(m.second);
        g_texts[source] = translation;
        if (IsFormat(source)) AddFormat(source, translation, HasWords(source) ? &g_formats : &g_joins);
    }
    // Texts joined by the program's two separators need no list entry.
    for (const char* join : {"%s - %s", "%s: %s"})
        if (!g_texts.count(join)) AddFormat(join, join, &g_joins);
    // Surer matches first: the format with the most text of its own.
    std::stable_sort(g_formats.begin(), g_formats.end(),
                     [](const Format& a, const Format& b) { return a.literal > b.literal; });
    g_language = language;
    return 0;
}

int ChooseLanguage(const char* asked)
{
    if (asked) {
        if (std::strcmp(asked, "en") != 0 && std::strcmp(asked, "de") != 0) return -1;
        PutSetting("language", asked);
        return SetLanguage(asked) == 0 ? 0 : -2;
    }
    char kept[8];
    if (GetSetting("language", kept, sizeof kept) && SetLanguage(kept) == 0) return 0;
    SetLanguage(nullptr);
    return 0;
}

const char* CurrentLanguage(void)
{
    return g_language.c_str();
}

const char* Translate(const char* text)
{
    if (!text || !*text || g_language == "en") return text;
    // Numbers and paths go straight through: a display set on every reply
    // must not be tried against every format.
    if (AsIs(text)) return text;
    const char* shown = Find(text);
    if (shown) return shown;
    NoteUntranslated(text);
    return text;
}

namespace {

// Numbers, units, paths and the sensor's own texts need no translation.
bool AsIs(const std::string& s)
{
    if (s.empty() || s[0] == '/' || g_asIs.count(s)) return true;
    return std::none_of(s.begin(), s.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// The translation of `text`, or null when it has none: the text itself, a
// format with words of its own that made it, or a format that only joins
// texts, each of which has a translation or needs none.
const char* Find(const std::string& text)
{
    auto it = g_texts.find(text);
    if (it != g_texts.end()) return it->second.c_str();
    const QString s = QString::fromLatin1(text.c_str());
    for (const Format& f : g_formats) {
        QRegularExpressionMatch m = f.pattern.match(s);
        if (m.hasMatch()) return Keep(Compose(f, m));
    }
    for (const Format& f : g_joins) {
        QRegularExpressionMatch m = f.pattern.match(s);
        if (!m.hasMatch()) continue;
        bool whole = true;
        for (int k = 1; k <= m.lastCapturedIndex() && whole; k++) {
            const std::string part = Latin1(m.captured(k));
            whole = part.size() < text.size() && (AsIs(part) || Find(part));
        }
        if (whole) return Keep(Compose(f, m));
    }
    return nullptr;
}

}  // namespace

const char* TranslateUtf8(const char* text)
{
    const char* shown = Translate(text);
    if (!shown) return shown;
    bool ascii = true;
    for (const char* c = shown; *c && ascii; c++) ascii = static_cast<unsigned char>(*c) < 0x80;
    return ascii ? shown : Keep(QString::fromLatin1(shown).toUtf8().toStdString());
}

void ShowAsIs(const char* text)
{
    if (text && *text) g_asIs.insert(text);
}

int UntranslatedCount(void)
{
    return static_cast<int>(g_untranslated.size());
}

const char* UntranslatedText(int index)
{
    return index >= 0 && index < UntranslatedCount() ? g_untranslated[static_cast<size_t>(index)].c_str() : "";
}
