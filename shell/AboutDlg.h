#pragma once

#include <QDialog>

// The about box: the banner, the application icon, the recorder software's line and the
// program's version and build.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// "Version 0.1.0" and "Build 1a2b3c4, 2026-12-09" (no commit when the source was not a git
// checkout), one per line.
QString VersionText();
