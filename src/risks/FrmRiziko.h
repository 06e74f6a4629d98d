#pragma once

#include "risks/Highlights.h"
#include "risks/RiskRecord.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace tamvel {

class DateField;
class Database;
class Messages;

namespace codelists {
class BrowserHost;
}

namespace risks {

// The risk editor "Riziko": the eight pages of one risk with its attachments, opened to add,
// edit, copy, delete or view it.
class FrmRiziko : public QWidget
{
    Q_OBJECT

public:
    FrmRiziko(Database &db, Messages &messages, codelists::BrowserHost &host, EditMode mode,
              qint64 id, const QString &activeFormula, QWidget *parent = nullptr);

    EditMode mode() const { return m_mode; }
    bool isCopy() const { return m_copy; }
    QTabWidget *pages() const { return m_pages; }
    // The risk as the inputs show it now.
    RiskRecord record() const;

    void save();
    // Before another request replaces this editor: true when it may go (no changes, saved,
    // or the changes dropped), false when the user stays in it.
    bool giveWay();
    void compute(); // "Vypočítat"
    void setSystem(const QString &system);
    void setRequirement(qint64 id);
    void addEquipment(const QString &flag);
    void removeEquipment(const QString &flag);

protected:
    void changeEvent(QEvent *event) override;

signals:
    // A risk was written; for a new one its id, so that the overview can select it.
    void saved(qint64 id);

private:
    void buildPages();
    QGroupBox *addPage(const char *caption, const char *frame);
    void buildRiskPage();
    void buildMeasuresPage();
    void buildRatingPage();
    void buildCorrectivePage();
    void buildRequirementPage();
    void buildProgrammePage();
    void buildSubTaskPage();
    void buildNotesPage();
    void fillChoices();
    void fillWorkers();
    void fillKinds();
    // Loads the risk into the editor; false when it is not stored.
    bool load(qint64 id);
    void showOpened();
    // Every input as shown, to tell whether the user changed anything since the load.
    QStringList inputState() const;
    void showRecord(const RiskRecord &risk);
    void showEquipment();
    void showSubTasks();
    void showRequirement();
    // The level of the value shown, in its colour.
    void showLevel();
    void lock(bool locked);
    void focusField(const QString &column);
    void subTaskPopup(const QPoint &pos);

    Database &m_db;
    Messages &m_messages;
    codelists::BrowserHost &m_host;
    EditMode m_mode = EditMode::New;
    bool m_copy = false;
    QString m_activeFormula;
    RiskRecord m_opened;
    QStringList m_shownState;
    QVector<EquipmentLine> m_equipment;
    QVector<SubTask> m_subTasks;
    qint64 m_requirement = 0;
    bool m_filling = false;

    QTabWidget *m_pages;
    QLineEdit *m_system;
    QPushButton *m_systemButton;
    QComboBox *m_worker;
    QComboBox *m_category;
    QComboBox *m_kind;
    QLineEdit *m_source;
    QComboBox *m_damaged;
    QLineEdit *m_character;
    QLineEdit *m_measures;
    QListWidget *m_provided;
    QComboBox *m_severity;
    QComboBox *m_probability;
    QComboBox *m_frequency;
    QLineEdit *m_formula;
    QLineEdit *m_value;
    QTableWidget *m_levels;
    QLabel *m_level;
    RiskLevels m_bands;
    QCheckBox *m_breach;
    QLineEdit *m_corrective;
    QLineEdit *m_correctiveResponsible;
    DateField *m_correctiveDue;
    DateField *m_correctiveDone;
    QListWidget *m_missing;
    QLineEdit *m_requirementText;
    QTableWidget *m_regulations;
    QLineEdit *m_goal;
    QLineEdit *m_target;
    QLineEdit *m_resources;
    QLineEdit *m_programmeResponsible;
    DateField *m_programmeDue;
    DateField *m_programmeDone;
    QTableWidget *m_subTaskGrid;
    QLineEdit *m_notes;
    QPushButton *m_save;
};

} // namespace risks
} // namespace tamvel
