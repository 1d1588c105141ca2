#include "document/ObjectNavigator.h"

#include "content/RichEditExCtrl.h"
#include "model/Frame.h"

#include <array>

namespace {

constexpr std::array<int, kNavigatorColumnCount> kDefaultWidths{40, 96, 128, 32, 32};
constexpr int kShortTextLength = 20;
constexpr int kGroupLength = 47;

}  // namespace

int NavigatorDefaultWidth(int column)
{
    return column >= 0 && column < kNavigatorColumnCount ? kDefaultWidths[static_cast<size_t>(column)] : 0;
}

QString NavigatorShortText(const QString& plainText)
{
    QString text = plainText;
    // One line in a list row: breaks and tabs read as spaces.
    for (QChar& c : text) {
        if (c == u'\r' || c == u'\n' || c == u'\v' || c == u'\t' || c == QChar::ParagraphSeparator
            || c == QChar::LineSeparator)
            c = u' ';
    }
    if (text.size() <= kShortTextLength)
        return text;
    return text.left(kShortTextLength) + QStringLiteral("...");
}

QString NavigatorGroupText(const QString& group)
{
    return group.left(kGroupLength);
}

QString CObjectItemArray::ShortTextOf(const CFrame& object)
{
    const auto known = texts_.find(object.id);
    if (known != texts_.end() && known->second.richText == object.richText)
        return known->second.shortText;
    QString plain;
    if (!object.richText.isEmpty()) {
        CRichEditExCtrl control(CRichEditExCtrl::kMultiLine);
        if (control.StreamIn(object.richText.constData(), static_cast<size_t>(object.richText.size())))
            plain = control.Text();
    }
    CachedText& cached = texts_[object.id];
    cached.richText = object.richText;
    cached.shortText = NavigatorShortText(plain.trimmed());
    return cached.shortText;
}

std::vector<int> CObjectItemArray::Refresh(const FrameList& objects)
{
    std::vector<int> changed;
    const int count = static_cast<int>(objects.size());
    if (rows_.size() < objects.size())
        rows_.resize(objects.size());
    std::unordered_map<int, CachedText> kept;
    for (int i = 0; i < count; ++i) {
        const CFrame& object = *objects[static_cast<size_t>(i)];
        CObjectItem item;
        item.group = NavigatorGroupText(object.group);
        item.text = ShortTextOf(object);
        item.playing = object.playing.load() != 0 ? 1 : 0;
        item.paused = object.paused.load() != 0 ? 1 : 0;
        item.locked = object.locked != 0 ? 1 : 0;
        kept[object.id] = texts_[object.id];
        CObjectItem& row = rows_[static_cast<size_t>(i)];
        if (!(row == item) || i >= count_) {
            row = std::move(item);
            changed.push_back(i);
        }
    }
    // The texts of objects no longer on the page are forgotten.
    texts_ = std::move(kept);
    count_ = count;
    return changed;
}
