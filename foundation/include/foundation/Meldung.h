#pragma once
// The message-box routine of the shared units. The box itself is a hook: the program installs
// a widget implementation, tests install a recorder; without one the text goes to stderr.
#include <QFlags>
#include <QString>

#include <functional>

namespace kiro {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
  mbAbort = 1u << 4,
  mbRetry = 1u << 5,
  mbIgnore = 1u << 6,
};
using TMsgDlgButtons = unsigned;

// Result codes of the buttons.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

struct TMeldungsBox {
  QString Text;
  TMsgDlgType Typ = TMsgDlgType::mtWarning;
  TMsgDlgButtons Knoepfe = mbOK;
  int Hilfe = 0;
  TMsgDlgButtons Vorgabe = 0;  // default button; 0 = the box's own choice
};

using TMeldungZeigenHook = std::function<int(const TMeldungsBox&)>;

// Shows a modal message box and returns the result code of the button pressed.
int MeldungZeigen(const QString& Text, TMsgDlgType Typ, TMsgDlgButtons Knoepfe, int Hilfe,
                  TMsgDlgButtons Vorgabe = 0);

// Installs the box implementation; returns the previous one. An empty hook restores the default.
TMeldungZeigenHook MeldungZeigenHookSetzen(TMeldungZeigenHook Hook);

}  // namespace kiro
