#pragma once

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <memory>

#include "FrameReader.h"
#include "LinkState.h"
#include "PortNames.h"
#include "WindowOps.h"

class HelpWindow;
class LiveBar;
class MenuBar;
class QAction;
class QLineEdit;
class QMessageBox;
class QPainter;
class SerialChannel;
class SpinButton;
class StatusPanes;
class TypedCharacterFilter;
struct UiTexts;

// The calibration window: live readouts, the sixteen parameter spin-edits, the
// Write and Exit buttons, the menus and the status bar. It connects the
// controls, the two timers and the serial channel to the link logic and holds
// no protocol logic of its own. Controls and menu commands are addressed by id.
class CCalibDlg : public QDialog, public WindowOps {
    Q_OBJECT

public:
    // The resolver names the devices of COM1..COM20 for the channel and for
    // the discovery worker.
    explicit CCalibDlg(PortResolver resolver = ResolvePortName, QWidget* parent = nullptr);
    ~CCalibDlg() override;

    // The spin-edit values in parameter order.
    PanelParams panelParams{};
    // Set last in initialisation; until then the edits' change notifications
    // do nothing.
    bool initialised = false;

    QWidget* Control(int controlId) const { return controls_.value(controlId, nullptr); }
    QAction* Command(int commandId) const;
    QTimer* Timer(int timerId);
    SerialChannel* Channel() const { return channel_.get(); }
    MenuBar* Menu() const { return menuBar_; }
    StatusPanes* StatusBar() const { return statusBar_; }
    SpinButton* Spin(int k) const;
    QLineEdit* ParamEdit(int k) const;
    LiveBar* Bar(int controlId) const;
    // The background picture of the language shown; each made once, the
    // Chinese one at initialisation, the English one when first shown.
    const QPixmap& BackgroundPicture() const;
    QRect ClientRect() const { return clientRect_; }
    // The user manual's window; nullptr until first asked for.
    HelpWindow* Manual() const { return helpWindow_; }

    // Operations the link logic calls.
    void DisableEditing() override;
    void EnableEditing() override;
    void ClearLiveDisplay() override;
    void SetPaneText(int pane, const std::string& text) override;
    void SetStatusColour(Colour colour) override;
    void SetSpinPosition(int k, int position) override;
    void SetControlText(int controlId, const std::string& text) override;
    void SetBarPosition(int controlId, int position) override;
    void SetBarColour(int controlId, Colour colour) override;
    void SetControlVisible(int controlId, bool visible) override;
    void ShowErrorBox(const std::string& text, const std::string& caption) override;
    void SetPortRadioMark(int position) override;

public slots:
    // Timer 100: supervision; timer 101: port take-over, then sending.
    void OnTimer(int timerId);
    // Bytes from the serial channel, read together at arrivalMicros.
    void OnCommEvent(const QByteArray& bytes, qint64 arrivalMicros);
    void OnParamEditChange(int k);
    void OnCommand(int commandId);
    void OnWrite();
    void OnAbout();
    // F1 and Help > User manual: shows the manual in the interface language.
    void OnHelp();
    void OnFileOpen();
    void OnFileSave();
    void ApplyChineseTexts();
    void ApplyEnglishTexts();
    // Enter in an edit: read the sixteen edits back, then close.
    void OnOK();
    // Exit button, File > Exit, Escape and the close box.
    void OnCancel();
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void OnInitDialog();
    void InitStatusBar();
    void InitTimers();
    void InitBackgrounds();
    void InitFonts();
    void InitSpins();
    void InitBars();
    void CreateChannel();
    void LaunchProbe();
    void SetEditingEnabled(bool enabled);
    // Shows the texts of one language and marks it in the language submenu.
    void ApplyTexts(const UiTexts& texts, bool english);
    void PaintBackground(QPainter& painter, const QRect& area) const;
    // Runs one event's handler; a failed channel operation ends it with a box.
    template <typename Handler>
    void CatchChannelErrors(Handler&& handler);
    // A box opened from a timer's tick: the timer is started afresh first, as
    // Qt never runs a timer again while its own tick is being handled, and
    // supervision and sending must go on behind the box.
    void ShowBoxBehindTicks(QMessageBox& box);

    PortResolver resolver_;
    QIcon appIcon_;
    QHash<int, QWidget*> controls_;
    MenuBar* menuBar_ = nullptr;
    StatusPanes* statusBar_ = nullptr;
    TypedCharacterFilter* typedCharacterFilter_ = nullptr;
    HelpWindow* helpWindow_ = nullptr;
    QPoint clientOrigin_;
    QRect clientRect_;
    QPixmap chineseBackground_;
    mutable QPixmap englishBackground_;
    QFont labelFont_;
    QFont readoutFont_;
    QTimer supervisionTimer_;
    QTimer sendTimer_;
    // The timer whose tick is being handled, if any.
    QTimer* tickingTimer_ = nullptr;
    FrameReader frameReader_;
    std::unique_ptr<SerialChannel> channel_;
};
