// Run control of the serial link: START, STOP, the port list and RESET.
#pragma once

#include "views.h"

namespace quibrano {

// PortSpec := "Com" + PortNumber + ":1200,N,8,1".
void BuildPortSpec();
// Opens PortSpec; on success marks the link open and shows the open state.
void StartLink(LinkView& view);
// Button7Click: every Elapsed := 0 (even if the open then fails), StartLink.
void RunStart(LinkView& view);
// Button8Click: closes the port if open, marks the link stopped.
void RunStop(LinkView& view);
// ComboBox19Change: PortNumber := index + 1 (0 for -1); PortSpec with "COM".
void ChoosePort(int index);
// Button9Click: RelayWord := 0, every Elapsed := -1, every OffCountdown := 0.
void RunReset();

}  // namespace quibrano
