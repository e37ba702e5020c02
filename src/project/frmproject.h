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

    void cmdNew_Click();
    void cmdOpen_Click();
    void cmdSave_Click();
    void cmdSaveAs_Click();
    void cmdAddFont_Click();
    void cmdRemoveFont_Click();
    void cmdAddPicture_Click();
    void cmdRemovePicture_Click();
    void cmdCheck_Click();
    void cmdProvision_Click();
    void cmdRender_Click();

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

    QPushButton* cmdNew;
    QPushButton* cmdOpen;
    QPushButton* cmdSave;
    QPushButton* cmdSaveAs;
    QComboBox* cboSpeed;
    QTableWidget* lstFonts;
    QPushButton* cmdAddFont;
    QPushButton* cmdRemoveFont;
    QTableWidget* lstPictures;
    QPushButton* cmdAddPicture;
    QPushButton* cmdRemovePicture;
    QPlainTextEdit* txtStart;
    QPushButton* cmdCheck;
    QPushButton* cmdProvision;
    QPushButton* cmdRender;
    QPlainTextEdit* txtPlan;
};
