#include "editor/FormatToolBar.h"

#include "app/CommandTable.h"
#include "app/StringTable.h"
#include "editor/ActionRegistry.h"
#include "editor/FontSelectComboBox.h"
#include "editor/FontSizeComboBox.h"

namespace {

constexpr int kFormatToolBarTitleId = 10711;
constexpr int kFontNameWidth = 200;
constexpr int kFontSizeWidth = 52;

}  // namespace

CFormatToolBar::CFormatToolBar(CActionRegistry& registry, bool large, QWidget* parent)
    : CCommandToolBar(kFormatToolBar, LoadText(kFormatToolBarTitleId), large, parent)
{
    Build(registry, [&](int box) -> QWidget* {
        if (box == kFontNameBox) {
            fontName_ = new CFontSelectComboBox(this);
            fontName_->setObjectName(QStringLiteral("fontNameBox"));
            fontName_->setFixedWidth(kFontNameWidth);
            connect(fontName_, &CFontSelectComboBox::FontChosen, this, [this, &registry](const QString& family) {
                chosenFont_ = family;
                registry.Trigger(kFontNameBox);
            });
            return fontName_;
        }
        if (box == kFontSizeBox) {
            fontSize_ = new CFontSizeComboBox(this);
            fontSize_->setObjectName(QStringLiteral("fontSizeBox"));
            fontSize_->setFixedWidth(kFontSizeWidth);
            connect(fontSize_, &CFontSizeComboBox::FontSizeChosen, this, [this, &registry](int points) {
                chosenSize_ = points;
                registry.Trigger(kFontSizeBox);
            });
            return fontSize_;
        }
        return nullptr;
    });
}
