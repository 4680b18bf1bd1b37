// The frame every picture edit runs in: the busy cursor and the progress box with Cancel, the
// routine making a new picture from the window's picture, the out-of-memory message, and the
// result in the same window under a new name or in a new window, as "Create new window" says.
#pragma once

#include <functional>
#include <memory>

class TDIBImage;
class TfrmMDIChild;
class WorkspaceHost;

// Runs `routine` (0 done, -1 no memory, -2 cancelled; it fills the picture it is given) with
// progress caption "Common" text `caption`; the new picture, or null (after the message on
// a shortage of memory; silently on Cancel). It keeps the source's Corrected flag.
std::unique_ptr<TDIBImage> RunPictureEdit(WorkspaceHost& main, TfrmMDIChild& window, int caption,
                                          const std::function<int(TDIBImage& result)>& routine);

// Shows an edit's result: in a new window with "Create new window", else in place of the
// window's picture under a new name.
void ShowEditResult(WorkspaceHost& main, TfrmMDIChild& window, std::unique_ptr<TDIBImage> result);
