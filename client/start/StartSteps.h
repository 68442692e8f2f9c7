#pragma once

class Dialogs;
class LocalNetwork;
class ModData;
class SocketFactory;
class frmMain;

// Join on the start window opens the server browser and Host opens the host dialog, each in front
// through the dialogs; the start window itself knows neither. A browser that finds no free local
// port is never shown: once the player has closed the box that says so, the window reports
// ProgramEnd.
void WireStartSteps(frmMain &window, ModData &modData, SocketFactory &sockets, Dialogs &dialogs,
                    LocalNetwork &network);
