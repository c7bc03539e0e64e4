#pragma once
// The statistics window (TForm3, "Statistics"): file name, channel
// frequencies with last, minimum and maximum values, time range and number
// of data points of the light curve read last, and a clock refreshed every
// 333 ms. It computes nothing; RefreshValues copies the reader's values.

#include "lightcurve/LightCurve.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

namespace quorva {

class TForm2;

class TForm3 : public QWidget {
public:
    static constexpr int kClockInterval = 333; // ms

    // Reads `lightCurve` and the selected file and unit of `fileDialog` at
    // every refresh; both outlive the window.
    TForm3(const LightCurve& lightCurve, const TForm2& fileDialog);

    void RefreshValues();
    void Timer1Timer();
    // A last line naming the time window the values are of ("Window: 10:33:00
    // to 10:43:00 UT"); empty: no such line, the window as it always was.
    void setWindowText(const std::string& text);

    // The current time of day in the system's long time format, without a
    // time zone (hours, minutes and seconds).
    static QString clockText();

    QLabel* LabelFilename;
    QLineEdit* EditFilename;
    QGroupBox* GroupBox4; // "Time"
    QLabel* Label1;
    QLineEdit* EditTmin;
    QLabel* Label2;
    QLineEdit* EditTmax;
    QGroupBox* GroupBox5; // "Counts", then "Data Points"
    QLineEdit* EditCounts;
    QLabel* Label12; // clock
    QGroupBox* GroupBox[3];
    QLabel* LabelLast[3];
    QLineEdit* EditLast[3];
    QLabel* LabelMin[3];
    QLineEdit* EditMinlc[3];
    QLabel* LabelMax[3];
    QLineEdit* EditMaxlc[3];
    QLabel* LabelWindow; // shown while the plots show a time window
    QTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override; // FormShow

private:
    const LightCurve& lightCurve_;
    const TForm2& fileDialog_;
};

} // namespace quorva
