#include "editor/TextFormatDialogs.h"

#include "editor/DlgParaFmt.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>

#include <cmath>

QFont FontOfFormat(const CCharFormat& format)
{
    QFont font(format.face);
    if (format.height > 0)
        font.setPointSizeF(format.height / 20.0);
    font.setBold((format.effects & kCfeBold) != 0);
    font.setItalic((format.effects & kCfeItalic) != 0);
    font.setUnderline((format.effects & kCfeUnderline) != 0);
    font.setStrikeOut((format.effects & kCfeStrikeOut) != 0);
    return font;
}

CCharFormat FontDialogChoice(const CCharFormat& initial, const QFont& chosen)
{
    const QFont before = FontOfFormat(initial);
    CCharFormat choice;
    choice.face = chosen.family().left(CCharFormat::kMaxFaceLength);
    choice.height = static_cast<int>(std::lround(chosen.pointSizeF() * 20.0));
    if (chosen.bold())
        choice.effects |= kCfeBold;
    if (chosen.italic())
        choice.effects |= kCfeItalic;
    if (chosen.underline())
        choice.effects |= kCfeUnderline;
    if (chosen.strikeOut())
        choice.effects |= kCfeStrikeOut;
    const auto keep = [&](uint32_t bit, bool changed) {
        if ((initial.mask & bit) || changed)
            choice.mask |= bit;
    };
    keep(kCfmFace, chosen.family() != before.family());
    keep(kCfmSize, choice.height != initial.height);
    keep(kCfmBold, chosen.bold() != before.bold());
    keep(kCfmItalic, chosen.italic() != before.italic());
    keep(kCfmUnderline, chosen.underline() != before.underline());
    keep(kCfmStrikeOut, chosen.strikeOut() != before.strikeOut());
    return choice;
}

std::optional<ColorRef> CTextFormatDialogs::ChooseColor(ColorRef initial)
{
    const QColor color = QColorDialog::getColor(QColorFromColorRef(initial), parent_);
    if (!color.isValid())
        return std::nullopt;
    return ColorRefFromQColor(color);
}

std::optional<CCharFormat> CTextFormatDialogs::ChooseFont(const CCharFormat& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, FontOfFormat(initial), parent_, QString(),
                                            QFontDialog::ScalableFonts);
    if (!ok)
        return std::nullopt;
    return FontDialogChoice(initial, font);
}

std::optional<ParagraphFields> CTextFormatDialogs::EditParagraph(const ParagraphFields& fields, bool singleLine)
{
    CDlgParaFmt dialog(fields, singleLine, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Fields();
}

void CTextFormatDialogs::ShowBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
