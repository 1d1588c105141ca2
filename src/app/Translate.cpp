#include "app/Translate.h"

#include "app/XmlLimits.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <tinyxml2.h>

namespace {

constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;
constexpr XmlLimits kPackLimits{500000, 1000000, 8};
constexpr const char* kFileName = "Translations.xml";

// "\n" and "\t" written out in a pack are a line break and a tab.
QString Unescaped(const char* text)
{
    QString result = QString::fromUtf8(text != nullptr ? text : "");
    result.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    result.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    return result;
}

template <typename Visit>
void ForEachChild(const tinyxml2::XMLElement* parent, const char* name, Visit&& visit)
{
    if (parent == nullptr)
        return;
    for (const tinyxml2::XMLElement* child = parent->FirstChildElement(name); child != nullptr;
         child = child->NextSiblingElement(name))
        visit(*child);
}

// Language identifiers by locale name (language and territory, or the
// language alone for the neutral ones).
struct LanguageIdEntry
{
    const char* locale;
    int id;
};
constexpr LanguageIdEntry kLanguageIds[] = {
    {"en_US", 1033}, {"en_GB", 2057}, {"de_DE", 1031}, {"de_AT", 3079}, {"de_CH", 2055}, {"ru_RU", 1049},
    {"uk_UA", 1058}, {"fr_FR", 1036}, {"it_IT", 1040}, {"es_ES", 3082}, {"pt_BR", 1046}, {"pt_PT", 2070},
    {"pl_PL", 1045}, {"cs_CZ", 1029}, {"sk_SK", 1051}, {"hu_HU", 1038}, {"nl_NL", 1043}, {"sv_SE", 1053},
    {"da_DK", 1030}, {"nb_NO", 1044}, {"fi_FI", 1035}, {"el_GR", 1032}, {"tr_TR", 1055}, {"ro_RO", 1048},
    {"bg_BG", 1026}, {"hr_HR", 1050}, {"sl_SI", 1060}, {"sr_RS", 10266}, {"lt_LT", 1063}, {"lv_LV", 1062},
    {"et_EE", 1061}, {"ja_JP", 1041}, {"zh_CN", 2052}, {"ko_KR", 1042},
};

}  // namespace

CTranslate& Translations()
{
    static CTranslate translations;
    return translations;
}

QString CTranslate::PacksFilePath(const QString& programFolder)
{
    const QDir program(programFolder);
    const QString beside = program.filePath(QLatin1String(kFileName));
    if (QFile::exists(beside))
        return beside;
    // Installed: <prefix>/bin/tavrel and <prefix>/share/tavrel/Translations.xml.
    return QDir::cleanPath(program.filePath(QStringLiteral("../share/tavrel/")) + QLatin1Char('/')
                           + QLatin1String(kFileName));
}

bool CTranslate::Load(const QString& path)
{
    packs_.clear();
    reference_.clear();
    current_ = 0;
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return false;
    const QByteArray xml = file.readAll();
    if (!XmlWithinLimits(xml, kPackLimits))
        return false;
    tinyxml2::XMLDocument document;
    if (document.Parse(xml.constData(), static_cast<size_t>(xml.size())) != tinyxml2::XML_SUCCESS)
        return false;
    const tinyxml2::XMLElement* root = document.FirstChildElement("language_pack");
    if (root == nullptr)
        return false;
    if (const tinyxml2::XMLElement* original = root->FirstChildElement("original")) {
        ForEachChild(original->FirstChildElement("strings"), "string", [this](const tinyxml2::XMLElement& s) {
            reference_[s.IntAttribute("id")] = Unescaped(s.GetText());
        });
    }
    ForEachChild(root->FirstChildElement("translations"), "translation", [this](const tinyxml2::XMLElement& t) {
        if (static_cast<int>(packs_.size()) >= kMaxPacks)
            return;
        CTranslation pack;
        pack.name = QString::fromUtf8(t.Attribute("name") != nullptr ? t.Attribute("name") : "");
        pack.languageId = t.IntAttribute("id");
        ForEachChild(t.FirstChildElement("resources"), "string", [&pack](const tinyxml2::XMLElement& s) {
            bool ok = false;
            const std::uint32_t key = QString::fromLatin1(s.Attribute("id") != nullptr ? s.Attribute("id") : "")
                                          .toUInt(&ok, 16);
            if (ok)
                pack.resources[key] = Unescaped(s.GetText());
        });
        ForEachChild(t.FirstChildElement("strings"), "string", [&pack](const tinyxml2::XMLElement& s) {
            pack.strings[s.IntAttribute("id")] = Unescaped(s.GetText());
        });
        packs_.push_back(std::move(pack));
    });
    return !packs_.empty();
}

QString CTranslate::LanguageName(int index) const
{
    if (index <= 0 || index > PackCount())
        return QStringLiteral("English");
    return packs_[static_cast<size_t>(index - 1)].name;
}

QStringList CTranslate::PackNames() const
{
    QStringList names;
    for (const CTranslation& pack : packs_)
        names.append(pack.name);
    return names;
}

void CTranslate::Select(int index, int userLanguageId)
{
    if (index != -1) {
        current_ = index >= 0 && index <= PackCount() ? index : 0;
        return;
    }
    current_ = 0;
    for (int i = 0; i < PackCount(); ++i) {
        if (userLanguageId != 0 && packs_[static_cast<size_t>(i)].languageId == userLanguageId) {
            current_ = i + 1;
            return;
        }
    }
}

std::optional<QString> CTranslate::Resource(std::uint32_t key) const
{
    if (current_ <= 0 || current_ > PackCount())
        return std::nullopt;
    const auto& resources = packs_[static_cast<size_t>(current_ - 1)].resources;
    const auto found = resources.find(key);
    if (found == resources.end())
        return std::nullopt;
    return found->second;
}

QString CTranslate::LocaleNameOfLanguageId(int languageId)
{
    for (const LanguageIdEntry& entry : kLanguageIds) {
        if (entry.id == languageId)
            return QLatin1String(entry.locale);
    }
    return {};
}

int CTranslate::LanguageIdOfLocale(const QLocale& locale)
{
    const QString name = locale.name();  // "de_DE"
    for (const LanguageIdEntry& entry : kLanguageIds) {
        if (name == QLatin1String(entry.locale))
            return entry.id;
    }
    // Another territory of a known language: that language's first entry.
    const QString language = name.section(QLatin1Char('_'), 0, 0);
    for (const LanguageIdEntry& entry : kLanguageIds) {
        if (QLatin1String(entry.locale).startsWith(language + QLatin1Char('_')))
            return entry.id;
    }
    return 0;
}
