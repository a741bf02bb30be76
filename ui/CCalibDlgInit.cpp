// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
// Building the window and its initialisation steps, in the order that makes
// them safe.
#include <QLineEdit>
#include <QPushButton>

#include "link/ControllerLink.h"
#include "link/LiveValues.h"
#include "link/TickCount.h"
#include "serial/PortDirectory.h"
#include "serial/PortSearch.h"
#include "serial/RememberedAdapter.h"
#include "serial/SerialChannel.h"
#include "ui/AccessibleNames.h"
#include "ui/Artwork.h"
#include "ui/CCalibDlg.h"
#include "ui/ControlColours.h"
#include "ui/ControlSets.h"
#include "ui/DialogUnits.h"
#include "ui/LiveBar.h"
#include "ui/LiveDisplay.h"
#include "ui/MenuBar.h"
#include "ui/SessionLogger.h"
#include "ui/SpinButton.h"
#include "ui/StartupMarks.h"
#include "ui/StatusPanes.h"
#include "ui/TypedCharacterFilter.h"
#include "ui/UiTexts.h"
#include "ui/WindowFonts.h"
#include "ui/WindowLayout.h"

namespace {
using ControlSets::kBindingOrder;
using ControlSets::kLabelIds;
using ControlSets::kReadoutIds;

constexpr int kSpinLower = 0;
constexpr int kSpinUpper = 255;
// Shown where a background picture is missing.
const QColor kPlainBackground(0xed, 0xf2, 0xf7);

struct BarSetUp {
    int id;
    Colour colour;
    int maximum;
};
constexpr BarSetUp kBarSetUps[] = {
    {ControlId::kPetrolBar, kYellow, kPetrolBarMax},
    {ControlId::kGasBar, kCyan, kGasBarMax},
    {ControlId::kLambdaBar, kLambdaMiddle, kLambdaBarMax},
};

QImage PictureOrPlain(const char* resource) {
    QImage picture = Artwork::Picture(resource);
    if (picture.isNull()) {
        picture = QImage(Artwork::kBackgroundSize, QImage::Format_RGB32);
        picture.fill(kPlainBackground);
    }
    return picture;
}
}  // namespace

CCalibDlg::CCalibDlg(PortResolver resolver, ProbeTimings timings,
                     std::shared_ptr<PortLister> adapters, QWidget* parent)
    : QDialog(parent),
      resolver_(std::move(resolver)),
      timings_(timings),
      adapters_(std::move(adapters)),
      appIcon_(Artwork::AppIcon()) {
    CreateControls();
    StartupMarks::Mark("controls");
    InitUnstoredChanges();
    CreateLink();
    CreateLogger();
    ConnectControls();
    ConnectAdapter();
    OnInitDialog();
}

// The Enter key ends the program without the exit steps; its log still ends
// with the panel's set beside it.
CCalibDlg::~CCalibDlg() {
    logger_->End(panelParams);
}

// The window as its template describes it: frame, font, menu, controls and
// their colours.
void CCalibDlg::CreateControls() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetCaption(QString::fromUtf8(kStartCaption));
    setFont(WindowFonts::SongFont(WindowFonts::kWindowPoints));

    menuBar_ = new MenuBar(kChineseTexts, this);
    menuBar_->setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    const int menuHeight = menuBar_->sizeHint().height();

    const DialogUnits units(font());
    clientOrigin_ = QPoint(0, menuHeight);
    clientRect_ = QRect(clientOrigin_, QSize(units.ToPixelsX(WindowLayout::kClientWidthUnits),
                                             units.ToPixelsY(WindowLayout::kClientHeightUnits)));
    setFixedSize(clientRect_.width(), clientRect_.bottom() + 1);
    menuBar_->setGeometry(0, 0, clientRect_.width(), menuHeight);

    controls_ = WindowLayout::BuildControls(this, units, clientOrigin_);
    ControlColours::Apply(controls_);
    for (auto* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }
}

void CCalibDlg::ConnectControls() {
    typedCharacterFilter_ = new TypedCharacterFilter(this);
    for (const int id : kReadoutIds) Control(id)->installEventFilter(typedCharacterFilter_);
    for (int k = 0; k < kParamCount; ++k) {
        ParamEdit(k)->installEventFilter(typedCharacterFilter_);
        connect(ParamEdit(k), &QLineEdit::textChanged, this, [this, k] { OnParamEditChange(k); });
    }
    connect(static_cast<QPushButton*>(Control(ControlId::kExitButton)), &QPushButton::clicked, this,
            &CCalibDlg::OnCancelCommand);
    connect(static_cast<QPushButton*>(Control(ControlId::kWriteButton)), &QPushButton::clicked,
            this, &CCalibDlg::OnWrite);
    connect(menuBar_, &MenuBar::commandTriggered, this, &CCalibDlg::OnCommand);
    connect(&supervisionTimer_, &QTimer::timeout, this, [this] { OnTimer(TimerId::kSupervision); });
    connect(&sendTimer_, &QTimer::timeout, this, [this] { OnTimer(TimerId::kSend); });
}

// The order matters: the timers cannot fire before this returns; the worker
// starts only once the channel exists and the link state is reset; and
// `initialised` comes last, so setting up the edits and spins stores nothing.
void CCalibDlg::OnInitDialog() {
    for (const int k : kBindingOrder) ParamEdit(k)->setText(QString::number(panelParams[k]));
    setWindowIcon(appIcon_);
    InitStatusBar();
    InitLiveDisplay();
    AccessibleNames::Apply(controls_, *menuBar_, *statusBar_, kChineseTexts.accessible);
    InitTimers();
    englishUi_ = false;
    InitBackgrounds();
    StartupMarks::Mark("background");
    InitFonts();
    StartupMarks::Mark("fonts");
    InitSpins();
    Control(ControlId::kWriteButton)->setEnabled(false);
    Command(CommandId::kFileOpen)->setEnabled(false);
    Command(CommandId::kFileSave)->setEnabled(false);
    InitBars();
    MarkPortChoice({PortChoice::Kind::Auto});
    State().portError = 0;
    link_->LaunchSearch();
    ReportSetAsideRecord();
    initialised = true;
    // The window opens showing its first status, not one refresh later.
    FlushDisplay();
    Control(ControlId::kExitButton)->setFocus();
}

void CCalibDlg::InitStatusBar() {
    statusBar_ = new StatusPanes(this);
    statusBar_->setFont(WindowFonts::SongFont(WindowFonts::kSystemPoints));
    statusBar_->SetPaneWidths(clientRect_.width());
    statusBar_->SetBackgroundColour(ControlColours::ToQColor(kStatusNoLink));
    const int height = statusBar_->sizeHint().height();
    statusBar_->setGeometry(0, clientRect_.bottom() + 1 - height, clientRect_.width(), height);
}

void CCalibDlg::InitLiveDisplay() {
    LiveDisplay::Controls controls;
    for (int i = 0; i < LiveDisplay::kReadouts; ++i) {
        controls.readouts[i] = qobject_cast<QLineEdit*>(Control(kReadoutIds[i]));
        controls.bars[i] = Bar(ControlSets::kBarIds[i]);
    }
    for (int k = 0; k < kParamCount; ++k) controls.markers[k] = Control(ControlId::CellMarker(k));
    controls.status = statusBar_;
    liveDisplay_ = new LiveDisplay(controls, this);
}

void CCalibDlg::InitTimers() {
    supervisionTimer_.start(TimerId::kSupervisionPeriodMs);
    sendTimer_.start(TimerId::kSendPeriodMs);
}

// The English picture is made the first time it is shown: most sessions never
// switch, and it would cost start-up time and a megabyte and a half.
void CCalibDlg::InitBackgrounds() {
    chineseBackground_ = PictureOrPlain(Artwork::kChineseBackground);
}

const QImage& CCalibDlg::BackgroundPicture() const {
    if (!englishUi_) return chineseBackground_;
    if (englishBackground_.isNull())
        englishBackground_ = PictureOrPlain(Artwork::kEnglishBackground);
    return englishBackground_;
}

void CCalibDlg::InitFonts() {
    labelFont_ = WindowFonts::SongFont(WindowFonts::kWindowPoints, true);
    for (const int id : kLabelIds) Control(id)->setFont(labelFont_);
    readoutFont_ = WindowFonts::SongFont(WindowFonts::kReadoutPoints);
    for (const int id : kReadoutIds) Control(id)->setFont(readoutFont_);
}

void CCalibDlg::InitSpins() {
    for (int k = 0; k < kParamCount; ++k) {
        SpinButton* spin = Spin(k);
        spin->SetRange(kSpinLower, kSpinUpper);
        spin->SetBuddy(ParamEdit(k));
        spin->SetPosition(0);
        spin->setEnabled(false);
    }
}

void CCalibDlg::InitBars() {
    for (const BarSetUp& setUp : kBarSetUps) {
        LiveBar* bar = Bar(setUp.id);
        bar->SetBackgroundColour(ControlColours::ToQColor(kBlack));
        bar->SetBarColour(ControlColours::ToQColor(setUp.colour));
        bar->SetRange(0, setUp.maximum);
        bar->SetPosition(0);
    }
    State().lambdaBand = kBandMiddle;
}

// The channel, the search and the link they serve; not opened or started
// here, only made, so the initialisation steps run in their order.
void CCalibDlg::CreateLink() {
    directory_ = std::make_shared<PortDirectory>(resolver_, adapters_);
    search_ = std::make_unique<PortSearch>(directory_->Resolver(), timings_);
    channel_ = std::make_unique<SerialChannel>(
        directory_->Resolver(),
        [this](const QString& device) { return search_->IsListeningOn(device); });
    adapter_ = std::make_unique<RememberedAdapter>(
        directory_, AdapterMemory(adapters_ ? AdapterMemory::DefaultFile() : QString()), *channel_);
    link_ = std::make_unique<ControllerLink>(
        *this, *channel_, panelParams, SystemTickCount,
        [this] { search_->Launch(State().probeStop, adapter_->FirstPortFinder()); });
    connect(channel_.get(), &SerialChannel::bytesReceived, this, &CCalibDlg::OnCommEvent);
    connect(channel_.get(), &SerialChannel::opened, this,
            [this](qint64 atMicros) { link_->OnPortOpened(atMicros); });
    connect(search_.get(), &PortSearch::portFound, this,
            [this](int port) { link_->OnPortFound(port); });
}
