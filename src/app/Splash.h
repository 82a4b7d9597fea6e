#pragma once
// The start-up splash: an optional picture and one line of status text, repainted at once
// because the event loop is not running while the program starts.

#include <QWidget>

class QLabel;

class TSplashFrm : public QWidget
{
    Q_OBJECT
public:
    // Loads "splash.jpg" from `programDir` when it is there and readable.
    explicit TSplashFrm(const QString &programDir, QWidget *parent = nullptr);

    // A non-empty text replaces the status line; an empty one appends a dot to it.
    void SetStatus(const QString &text);

    QLabel *Picture;
    QLabel *StatusLabel;

signals:
    void StatusChanged(const QString &status);
};
