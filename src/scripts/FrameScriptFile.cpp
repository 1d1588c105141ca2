// Reading and writing ".script" files: UTF-8 XML through tinyxml2.
//
//   <?xml version="1.0" encoding="utf-8"?>
//   <script loop="0">
//       <item type="0" sdata="+Pages/News.tavrel" idata="0"/>
//   </script>
//
// Lines end with CR LF, as the files made on Windows do; readers of either
// kind accept both.
#include "scripts/FrameScript.h"

#include "app/Log.h"
#include "app/XmlLimits.h"
#include "model/RelativePath.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <tinyxml2.h>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr const char* kRootElement = "script";
constexpr const char* kItemElement = "item";
constexpr const char* kLoopAttribute = "loop";
constexpr const char* kTypeAttribute = "type";
constexpr const char* kTextAttribute = "sdata";
constexpr const char* kNumberAttribute = "idata";

// The C library's leading-integer rule: leading white space, an optional
// sign, digits; anything else ends the number; no digits read as 0. Values
// beyond 32 bits saturate instead of wrapping.
int LeadingInteger(const char* s)
{
    if (s == nullptr)
        return 0;
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-')
        negative = *s++ == '-';
    constexpr qint64 kLimit = qint64(INT_MAX) + 1;
    qint64 value = 0;
    for (; *s >= '0' && *s <= '9'; ++s)
        value = std::min(value * 10 + (*s - '0'), kLimit);
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// Reads at most limit bytes of a regular file; false when the file cannot be
// read or is larger. Devices and pipes are refused: they may never end.
bool ReadWholeFile(const QString& path, qint64 limit, QByteArray* bytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > limit)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.read(limit + 1);
    return file.error() == QFileDevice::NoError && bytes->size() <= limit;
}

bool WithinParseLimits(const QByteArray& xml)
{
    return XmlWithinLimits(xml, {CFrameScript::kMaxTags, CFrameScript::kMaxAttributes,
                                 CFrameScript::kMaxAttributesPerTag});
}

}  // namespace

bool CFrameScript::LoadXml(const QByteArray& xml, const QString& path)
{
    items.clear();
    loop = 0;

    if (!WithinParseLimits(xml))
        return false;
    tinyxml2::XMLDocument document;
    if (document.Parse(xml.constData(), static_cast<size_t>(xml.size())) != tinyxml2::XML_SUCCESS)
        return false;
    const tinyxml2::XMLElement* root = document.FirstChildElement(kRootElement);
    if (root == nullptr)
        return false;
    loop = LeadingInteger(root->Attribute(kLoopAttribute)) != 0 ? 1 : 0;

    const QString folder = RelativeFolderOf(path);
    for (const tinyxml2::XMLElement* element = root->FirstChildElement(kItemElement); element != nullptr;
         element = element->NextSiblingElement(kItemElement)) {
        const char* typeText = element->Attribute(kTypeAttribute);
        if (typeText == nullptr)
            continue;
        CFrameScriptItem item;
        item.type = LeadingInteger(typeText);
        if (!CFrameScriptItem::ValidType(item.type))
            continue;
        if (const char* text = element->Attribute(kTextAttribute)) {
            const size_t length = std::strlen(text);
            if (length > static_cast<size_t>(CFrameScriptItem::kMaxTextBytes))
                continue;  // no writer makes such a step; it is damage
            item.sdata = QString::fromUtf8(text, static_cast<qsizetype>(length));
            if (CFrameScriptItem::UsesPagePath(item.type))
                item.sdata = ExpandRelativePath(item.sdata, folder);
        }
        item.idata = LeadingInteger(element->Attribute(kNumberAttribute));
        items.push_back(std::move(item));
    }
    return !items.empty();
}

bool CFrameScript::SaveXml(const QString& path, QByteArray* xml) const
{
    xml->clear();
    tinyxml2::XMLDocument document;
    document.InsertEndChild(document.NewDeclaration("xml version=\"1.0\" encoding=\"utf-8\""));
    tinyxml2::XMLElement* root = document.NewElement(kRootElement);
    root->SetAttribute(kLoopAttribute, loop != 0 ? 1 : 0);
    document.InsertEndChild(root);

    const QString folder = RelativeFolderOf(path);
    for (const CFrameScriptItem& item : items) {
        if (!CFrameScriptItem::ValidType(item.type))
            return false;
        const QString stored =
            CFrameScriptItem::UsesPagePath(item.type) ? MakeRelativePath(item.sdata, folder) : item.sdata;
        const QByteArray text = stored.toUtf8();
        if (text.size() > CFrameScriptItem::kMaxTextBytes)
            return false;
        tinyxml2::XMLElement* element = document.NewElement(kItemElement);
        element->SetAttribute(kTypeAttribute, item.type);
        element->SetAttribute(kTextAttribute, text.constData());
        element->SetAttribute(kNumberAttribute, item.idata);
        root->InsertEndChild(element);
    }

    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    QByteArray text(printer.CStr(), printer.CStrSize() - 1);  // the size counts the terminating zero
    text.replace("\n", "\r\n");
    *xml = std::move(text);
    return true;
}

bool CFrameScript::LoadFile(const QString& path)
{
    Clear();
    QByteArray bytes;
    const bool loaded = ReadWholeFile(path, kMaxFileBytes, &bytes) && LoadXml(bytes, path);
    if (loaded)
        fileName = QFileInfo(path).absoluteFilePath();
    WriteLog(kLogLifecycle, "CFrameScript::LoadFile(%s) = %d", path.toUtf8().constData(), loaded ? 1 : 0);
    return loaded;
}

bool CFrameScript::SaveFile(const QString& path)
{
    QByteArray xml;
    bool saved = SaveXml(path, &xml);
    if (saved) {
        QSaveFile file(path);
        saved = file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size() && file.commit();
    }
    if (saved)
        fileName = QFileInfo(path).absoluteFilePath();
    WriteLog(kLogLifecycle, "CFrameScript::SaveFile(%s) = %d", path.toUtf8().constData(), saved ? 1 : 0);
    return saved;
}
