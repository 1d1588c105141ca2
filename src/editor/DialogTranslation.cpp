#include "editor/DialogTranslation.h"

#include "app/Translate.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <functional>

namespace {

constexpr const char* kDynamicProperty = "tavrelDynamic";

int IdOf(const QWidget* widget)
{
    const QVariant id = widget->property("tavrelId");
    return id.isValid() ? id.toInt() : 0;
}

// A text of a dialog a pack can replace: the text of a control with an id,
// or the caption label of a field (a list, an edit) with one, keyed by the
// field's id.
struct TranslatableText
{
    int controlId;
    std::function<QString()> read;
    std::function<void(const QString&)> write;
};

std::vector<TranslatableText> TranslatableTexts(QWidget* dialog)
{
    std::vector<TranslatableText> texts;
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        if (control->property(kDynamicProperty).toBool())
            continue;
        if (auto* label = qobject_cast<QLabel*>(control)) {
            // A label without an id of its own speaks for its field.
            const int id = IdOf(label) != 0 ? IdOf(label) : label->buddy() != nullptr ? IdOf(label->buddy()) : 0;
            if (id != 0)
                texts.push_back({id, [label] { return label->text(); }, [label](const QString& t) { label->setText(t); }});
        } else if (auto* button = qobject_cast<QAbstractButton*>(control); button != nullptr && IdOf(button) != 0) {
            texts.push_back({IdOf(button), [button] { return button->text(); },
                             [button](const QString& t) { button->setText(t); }});
        } else if (auto* group = qobject_cast<QGroupBox*>(control); group != nullptr && IdOf(group) != 0) {
            texts.push_back({IdOf(group), [group] { return group->title(); },
                             [group](const QString& t) { group->setTitle(t); }});
        }
    }
    return texts;
}

}  // namespace

void MarkDynamicText(QWidget* control)
{
    control->setProperty(kDynamicProperty, true);
}

void TranslateDialog(QWidget* dialog)
{
    const int dialogId = IdOf(dialog);
    if (dialogId <= 0)
        return;
    const CTranslate& packs = Translations();
    const bool ownCaption = dialog->property(kDynamicProperty).toBool();
    if (const std::optional<QString> caption = packs.Resource(DialogKey(dialogId)); caption && !ownCaption)
        dialog->setWindowTitle(*caption);
    for (const TranslatableText& text : TranslatableTexts(dialog)) {
        if (const std::optional<QString> translated = packs.Resource(ControlKey(dialogId, text.controlId)))
            text.write(*translated);
    }
}

std::vector<std::pair<std::uint32_t, QString>> DialogTexts(QWidget* dialog)
{
    std::vector<std::pair<std::uint32_t, QString>> texts;
    const int dialogId = IdOf(dialog);
    if (dialogId <= 0)
        return texts;
    if (!dialog->windowTitle().isEmpty() && !dialog->property(kDynamicProperty).toBool())
        texts.emplace_back(DialogKey(dialogId), dialog->windowTitle());
    for (const TranslatableText& text : TranslatableTexts(dialog)) {
        const QString shown = text.read();
        if (!shown.trimmed().isEmpty())
            texts.emplace_back(ControlKey(dialogId, text.controlId), shown);
    }
    return texts;
}
