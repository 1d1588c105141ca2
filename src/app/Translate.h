#pragma once

#include "app/StringTable.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class QLocale;

// One language pack: replacement texts by key, for one language.
struct CTranslation
{
    QString name;        // the language menu's caption
    int languageId = 0;  // the language identifier it is meant for (1031 German, 1049 Russian, ...)
    std::map<std::uint32_t, QString> resources;
    std::map<int, QString> strings;
};

// The keys packs give their texts under.
inline std::uint32_t StringKey(int id)
{
    return static_cast<std::uint32_t>(id) | 0xC0000000u;
}
inline std::uint32_t DialogKey(int dialogId)
{
    return (0x8000u | (static_cast<std::uint32_t>(dialogId) & 0x3FFFu)) << 16;
}
inline std::uint32_t ControlKey(int dialogId, int controlId)
{
    return DialogKey(dialogId) | (static_cast<std::uint32_t>(controlId) & 0xFFFFu);
}

// The language packs of the process: read once from the packs file (at
// most ten), the chosen one looked up whenever a text is shown. Index 0 is
// English (no pack); i is the i-th pack. User-interface thread only.
class CTranslate : public ITextTranslation
{
public:
    static constexpr int kMaxPacks = 10;

    // Reads the packs file; a file that is missing, too large or malformed
    // leaves no pack (English), without a message.
    bool Load(const QString& path);
    // The packs file beside the program, else in the installed data folder.
    static QString PacksFilePath(const QString& programFolder);

    int PackCount() const { return static_cast<int>(packs_.size()); }
    const std::vector<CTranslation>& Packs() const { return packs_; }
    // "English" for 0 or an index out of range.
    QString LanguageName(int index) const;
    QStringList PackNames() const;
    // index -1: the pack of the user's language (userLanguageId), else
    // English; an index above the packs' count: English.
    void Select(int index, int userLanguageId);
    int Current() const { return current_; }

    // The current pack's text for a key, if it has one.
    std::optional<QString> Resource(std::uint32_t key) const;
    std::optional<QString> Text(int id) const override { return Resource(StringKey(id)); }

    // The language identifier of a locale (1033 for en_US, 1031 for de_DE,
    // 1049 for ru_RU, ...); 0 for one this table does not know.
    static int LanguageIdOfLocale(const QLocale& locale);
    // The locale name of a language identifier ("de_DE" for 1031); empty
    // for one this table does not know.
    static QString LocaleNameOfLanguageId(int languageId);
    // The chosen pack's language identifier; 0 for English.
    int CurrentLanguageId() const
    {
        return current_ > 0 && current_ <= PackCount() ? packs_[static_cast<size_t>(current_ - 1)].languageId : 0;
    }

private:
    std::vector<CTranslation> packs_;
    std::map<int, QString> reference_;
    int current_ = 0;
};

// The process's packs, which LoadText and the windows use.
CTranslate& Translations();
