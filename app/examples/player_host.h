// PlayerHost: what the example player needs from the main window beyond the workspace: the
// table of control codes, the layout measures window-relative points are rescaled by, opening
// and closing pictures, and the pieces of the user's state an example replaces while it plays.
#pragma once

#include <QByteArray>
#include <QString>

class QWidget;
class TControlCodes;
class WorkspaceHost;

class PlayerHost {
public:
    virtual ~PlayerHost() = default;

    virtual WorkspaceHost& workspace() = 0;
    virtual QWidget* mainWindow() = 0;
    virtual const TControlCodes& controlCodes() const = 0;
    // The left edge of the tool bar's example mark and the height of the bottom panel, in the
    // main window's current layout (an example's header keeps them as recorded).
    virtual int exampleBaseLeft() const = 0;
    virtual int bottomPanelHeight() const = 0;

    virtual bool openPicture(const QString& path) = 0;
    // Closes every image window; false when one refuses.
    virtual bool closeAllImages() = 0;

    // The configuration record in the settings was replaced: show its settings.
    virtual void applyConfig() = 0;
    // The colour collection as the collection file stores it (its file name is in the settings).
    virtual QByteArray collectionBytes() const = 0;
    virtual bool collectionModified() const = 0;
    // Replaces the collection and its modified mark; false when the bytes are no collection
    // (the collection is then empty).
    virtual bool setCollectionBytes(const QByteArray& bytes, bool modified) = 0;
    virtual QByteArray gammaBytes() const = 0;
    virtual void setGammaBytes(const QByteArray& bytes) = 0;
};
