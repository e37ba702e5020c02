#pragma once

#include "project/boardproject.h"

#include <QWidget>

class ProjectProvisioner;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class Workbench;

// The Project window: a board project (ProjectFile) opened, edited and saved, checked,
// rendered and provisioned onto the connected board, with the same project code as
// lumaret-cli.
class frmProject : public QWidget {
    Q_OBJECT
public:
    explicit frmProject(Workbench& workbench, QWidget* parent = nullptr);
    // Room for a project of a few fonts and pictures; the lists scroll beyond that.
    QSize sizeHint() const override { return {660, 520}; }

private Q_SLOTS:
    void newProject();
    void openProject();
    void saveProject();
    void saveProjectAs();
    void addFont();
    void removeFont();
    void addPicture();
    void removePicture();
    void checkProject();
    void provisionBoard();
    void renderProject();

private:
    void showProject();
    void showFonts();
    void showPictures();
    void showPictureThumbnail(int row);
    void takeStartLines();
    void markChanged();
    bool changesMayGo();
    bool saveTo(const QString& path);
    // The project planned; its problems shown (and false) when it has any.
    bool planned(struct ProjectPlan& plan);
    void showTitle();

    Workbench& m_workbench;
    BoardProject m_project;
    bool m_changed = false;
    ProjectProvisioner* m_provisioner;

    QPushButton* m_newButton;
    QPushButton* m_openButton;
    QPushButton* m_saveButton;
    QPushButton* m_saveAsButton;
    QComboBox* m_speedList;
    QTableWidget* m_fontsTable;
    QPushButton* m_addFontButton;
    QPushButton* m_removeFontButton;
    QTableWidget* m_picturesTable;
    QPushButton* m_addPictureButton;
    QPushButton* m_removePictureButton;
    QPlainTextEdit* m_startBox;
    QPushButton* m_checkButton;
    QPushButton* m_provisionButton;
    QPushButton* m_renderButton;
    QPlainTextEdit* m_planBox;
};
