// Start and Repeat: the operation of the operation panel, or the last processing of that
// operation, run on the picture of an image window, with the progress box. The result goes
// into the same window or into a new one, as "Create new window" says.
#pragma once

struct CorrectionSettings;
class TfrmMDIChild;
class WorkspaceHost;

// Runs the operation `settings` describe on the picture of `window`; true when it succeeded
// (the picture changed, or a new window shows the result). Failures are reported.
bool StartOperation(WorkspaceHost& main, TfrmMDIChild& window, const CorrectionSettings& settings);
// Repeats the last processing of `operation` (0..5) on the picture of `window`; true when it
// succeeded.
bool RepeatOperation(WorkspaceHost& main, TfrmMDIChild& window, int operation);
