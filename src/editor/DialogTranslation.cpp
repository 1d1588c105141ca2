#include "editor/DialogTranslation.h"

#include "app/Translate.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {

constexpr const char* kDynamicProperty = "tavrelDynamic";

}  // namespace

void MarkDynamicText(QWidget* control)
{
    control->setProperty(kDynamicProperty, true);
}

void TranslateDialog(QWidget* dialog)
{
    const int dialogId = dialog->property("tavrelId").toInt();
    if (dialogId <= 0)
        return;
    const CTranslate& packs = Translations();
    if (const std::optional<QString> caption = packs.Resource(DialogKey(dialogId)))
        dialog->setWindowTitle(*caption);
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        const QVariant id = control->property("tavrelId");
        if (!id.isValid() || control->property(kDynamicProperty).toBool())
            continue;
        const std::optional<QString> text = packs.Resource(ControlKey(dialogId, id.toInt()));
        if (!text)
            continue;
        if (auto* label = qobject_cast<QLabel*>(control))
            label->setText(*text);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            button->setText(*text);
        else if (auto* group = qobject_cast<QGroupBox*>(control))
            group->setTitle(*text);
    }
}

namespace {

QString ControlText(QWidget* control)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(control))
        return group->title();
    return {};
}

}  // namespace

std::vector<std::pair<std::uint32_t, QString>> DialogTexts(QWidget* dialog)
{
    std::vector<std::pair<std::uint32_t, QString>> texts;
    const int dialogId = dialog->property("tavrelId").toInt();
    if (dialogId <= 0)
        return texts;
    if (!dialog->windowTitle().isEmpty())
        texts.emplace_back(DialogKey(dialogId), dialog->windowTitle());
    for (QWidget* control : dialog->findChildren<QWidget*>()) {
        const QVariant id = control->property("tavrelId");
        if (control->property(kDynamicProperty).toBool())
            continue;
        const QString text = id.isValid() ? ControlText(control) : QString();
        if (!text.trimmed().isEmpty())
            texts.emplace_back(ControlKey(dialogId, id.toInt()), text);
    }
    return texts;
}
