#pragma once

// Command ids of menus, accelerators and toolbar buttons. The numbers match
// the resources (menus, accelerators, translations key on them).
namespace cmd {

inline constexpr int kHdmiOutput = 32818;
inline constexpr int kPreview = 32850;
inline constexpr int kPlayObject = 32821;
inline constexpr int kPauseObject = 32809;
inline constexpr int kEndObject = 32822;
inline constexpr int kStopObject = 32819;
inline constexpr int kPlayAll = 32810;
inline constexpr int kPauseAll = 32812;
inline constexpr int kEndAll = 32840;
inline constexpr int kStopAll = 32811;
inline constexpr int kHotkeyFirst = 32950;  // Ctrl+0 .. Ctrl+9, Alt+0 .. Alt+9
inline constexpr int kHotkeyLast = 32969;
inline constexpr int kPagesLoad = 32842;
inline constexpr int kPagesAdd = 32843;
inline constexpr int kPagesLoadAndPlay = 32855;
inline constexpr int kPagesAddAndPlay = 32856;
inline constexpr int kPagesOpenInEditor = 32844;
inline constexpr int kPagesRename = 32853;
inline constexpr int kScriptPlay = 32869;
inline constexpr int kScriptStop = 32870;
inline constexpr int kScriptEditor = 32868;
inline constexpr int kAutomation = 32882;
inline constexpr int kPreferences = 32841;
inline constexpr int kSetupWizard = 32849;
inline constexpr int kUndo = 57643;
inline constexpr int kRedo = 57644;
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
// Text formatting while text is edited in place.
inline constexpr int kBold = 32823;
inline constexpr int kItalic = 32824;
inline constexpr int kUnderline = 32825;
inline constexpr int kTextColor = 32826;
inline constexpr int kParagraphLeft = 32827;
inline constexpr int kParagraphCenter = 32828;
inline constexpr int kParagraphRight = 32829;
inline constexpr int kFontProperties = 32830;
inline constexpr int kParagraphProperties = 32831;
inline constexpr int kFontNameBox = 32832;
inline constexpr int kFontSizeBox = 32833;
inline constexpr int kBackColor = 32836;
inline constexpr int kSuperscript = 32837;
inline constexpr int kSubscript = 32838;
inline constexpr int kNormalScript = 32839;

// Editing commands the document hands to the canvas.
inline constexpr int kCanvasCommands[] = {32802, 32803, 32804, 32805, 32806, 32807, 32813, 32814, 32815,
                                          32816, 32817, 32834, 32835, 57634, 57635, 57637, 57643, 57644,
                                          32823, 32824, 32825, 32826, 32827, 32828, 32829, 32830, 32831,
                                          32832, 32833, 32836, 32837, 32838, 32839};

}  // namespace cmd
