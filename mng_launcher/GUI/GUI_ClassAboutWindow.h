#ifndef GUI_CLASSABOUTWINDOW_H
#define GUI_CLASSABOUTWINDOW_H

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

// The "About" window: product logo, version and build time, the Qt library the program is built on,
// the maker's rights lines and a link to the program's licence page. Close hides it.
class CLASS_ABOUT_WINDOW : public QWidget
{
    Q_OBJECT

public:
    explicit CLASS_ABOUT_WINDOW(QWidget* parent = nullptr);
    ~CLASS_ABOUT_WINDOW() override;

    // Where the licence page is copied for the system's default handler to open it.
    static QString LicencePagePath();

protected:
    // Enter and Escape press Close.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildMainColumn();
    // Replaces the copy of the licence page in the temporary folder with the one compiled in.
    static void PrepareLicencePage();

    QHBoxLayout outerLayout;
    QVBoxLayout mainColumn;
    QGridLayout versionGrid;
    QVBoxLayout libraryColumn;
    QVBoxLayout rightsColumn;
    QLabel versionHeading;
    QLabel versionCaption;
    QLabel versionValue;
    QLabel buildCaption;
    QLabel buildValue;
    QLabel libraryHeading;
    QLabel libraryLine;
    QLabel makerLine;
    QLabel logo;
    QLabel rightsNotice;
    QLabel licenceLink;
    QPushButton closeButton;
};

#endif // GUI_CLASSABOUTWINDOW_H
