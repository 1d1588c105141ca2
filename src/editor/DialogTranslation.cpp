#include "editor/DialogTranslation.h"

#include "app/Translate.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

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
        if (!id.isValid())
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
