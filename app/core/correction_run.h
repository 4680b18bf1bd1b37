// Start and Repeat: the operation of the operation panel, or the last processing of that
// operation, run on the picture of the active image window, with the progress box. The result
// goes into the same window or into a new one, as "Create new window" says.
#pragma once

class TfrmMDIParent;

void StartCommand(TfrmMDIParent& main);
void RepeatCommand(TfrmMDIParent& main);
