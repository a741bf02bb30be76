// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 DX470 calibrator project
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

#include "domain/Calibration.h"
#include "history/HistoryIndex.h"

// The tune history: restore points per controller in the user's data folder,
// "history/<controller>/", where <controller> is the fingerprint the
// controller had when first seen. In each controller's folder:
//   index.txt         the points (format in history/HistoryIndex.h)
//   NNNNNN-panel.tq4  the panel of point NNNNNN, a plain parameter set file
//   NNNNNN-stored.tq4 the stored set then
//   fingerprints.txt  every stored set the controller is known to have had,
//                     one fingerprint a line, the newest last: a controller
//                     that stored a new set is still found by it
//   notes.txt         the user's note on the controller (vehicle, engine...)
// The two sets of a point are written before the index names them, and each
// file is replaced whole, so a point is whole or not there, whenever the
// program ends. At most kPointsPerController are kept, the oldest going
// first. A damaged index is kept aside before it is rewritten; damaged lines
// and missing sets are told by name and skipped.
class TuneHistory : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t kPointsPerController = 200;

    struct Point {
        QString controller;
        RestorePoint point;
        PanelParams panel{};
        PanelParams stored{};
    };
    // What could not be read, by file: the window says it in its language.
    struct Problem {
        enum class Kind { NotAnIndex, DamagedLine, NotASet, Missing };
        Kind kind;
        QString path;
        int line = 0;
    };
    // Newest first, and what was skipped.
    struct Listing {
        std::vector<Point> points;
        std::vector<Problem> problems;
    };

    // The history under folder; by default "history" in the data folder.
    explicit TuneHistory(const QString& folder = {}, QObject* parent = nullptr);

    QString Folder() const { return folder_; }
    // A controller linked with this stored set: its history is the one of a
    // controller known to have stored it, or a new one.
    void OpenController(const PanelParams& stored);
    // No controller is linked any more (another port chosen).
    void CloseController() { current_.clear(); }
    // Empty while none is open.
    QString CurrentController() const { return current_; }
    // The open controller has stored this set now.
    void NoteStored(const PanelParams& stored);

    // A point for the open controller; false, with the reason naming the
    // file, when none is open or a file cannot be written.
    bool AddPoint(RestoreCause cause, const PanelParams& panel, const PanelParams& stored,
                  QString& reason);

    QStringList Controllers() const;
    Listing Points(const QString& controller) const;
    Listing AllPoints() const;

    bool SetPointNote(const QString& controller, std::uint64_t number, const QString& note,
                      QString& reason);
    QString ControllerNote(const QString& controller) const;
    bool SetControllerNote(const QString& controller, const QString& note, QString& reason);
    // Beside a saved set, "<name>.txt" with the linked controller's note, so
    // the set file itself stays as it always was; nothing to write without
    // a note.
    bool WriteSidecar(const QString& setPath, QString& reason) const;
    static QString SidecarPath(const QString& setPath);

signals:
    void changed();

private:
    QString ControllerFolder(const QString& controller) const;
    QString IndexPath(const QString& controller) const;
    ParsedIndex ReadIndex(const QString& controller, std::vector<Problem>* problems) const;
    // The points as the index; a damaged index is kept aside first.
    bool WriteIndex(const QString& controller, const std::vector<RestorePoint>& points,
                    const ParsedIndex& read, QString& reason);
    QStringList Fingerprints(const QString& controller) const;
    bool AddFingerprint(const QString& controller, const QString& fingerprint, QString& reason);

    QString folder_;
    QString current_;
};
