// Cropping the picture of an image window to its crop frame, with the progress box.
#pragma once

class WorkspaceHost;
class TfrmMDIChild;

// Without a frame, a warning; else the cropped picture replaces the window's picture, or opens
// in a new window when corrections go to new windows.
void CropRun(WorkspaceHost& main, TfrmMDIChild& window);
