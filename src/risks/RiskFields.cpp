#include "risks/RiskFields.h"

#include "db/Schema.h"

#include <QHash>

#include <algorithm>

namespace tamvel::risks {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

// Builds one line of the list: the column and kind, then only what is special about it.
struct Def : RiskField
{
    Def(const char *name, FieldKind how)
    {
        column = s(name);
        kind = how;
    }
    Def(const char *name, QString RiskRecord::*member) : Def(name, FieldKind::Text)
    {
        text = member;
    }
    Def(const char *name, QDate RiskRecord::*member) : Def(name, FieldKind::Date) { date = member; }

    Def &identifies()
    {
        identity = true;
        return *this;
    }
    Def &overview(int position, const char *caption, int width)
    {
        overviewPosition = position;
        overviewCaption = s(caption);
        overviewWidth = width;
        return *this;
    }
    Def &exported(const char *header, const char *label, const char *boxName,
                  const char *boxCaption)
    {
        sheetHeader = s(header);
        formLabel = s(label);
        formBoxName = s(boxName);
        formBoxCaption = s(boxCaption);
        return *this;
    }
    Def &detail(const char *boxName, const char *caption)
    {
        detailBoxName = s(boxName);
        detailBoxCaption = s(caption);
        return *this;
    }
    Def &required(const char *title, const char *message)
    {
        requiredTitle = s(title);
        requiredText = s(message);
        return *this;
    }
};

using R = RiskRecord;
using K = FieldKind;

QVector<RiskField> buildFields()
{
    const Def list[] = {
        Def("id_riziko", K::Id).overview(1, "ID", 800).exported("Riziko ID", "", "", ""),
        Def("system", &R::system)
            .identifies()
            .overview(2, "Systém", 1200)
            .exported("Systém", "Systém :", "chkSystem", "Systém")
            .detail("txtSystem", "Systém :")
            .required("Systém", "Pole Systém musí být zvoleno !"),
        Def("pracovnik", &R::worker)
            .identifies()
            .overview(4, "Pracovník/činnost", 2400)
            .exported("Pracovník/činnost", "Pracovník/činnost :", "chkPracovnik",
                      "Pracovník/činnost")
            .detail("txtPracovnik", "Pracovník :")
            .required("Pracovník/činnost", "Pole Pracovník/činnost musí být zvoleno !"),
        Def("nebezpeci_kategorie", &R::category)
            .identifies()
            .overview(5, "Kategorie nebezpečí", 2400)
            .exported("Kategorie nebezpečí", "Kategorie nebezpečí :", "chkNebezpeciKategorie",
                      "Nebezpečí - kategorie")
            .detail("txtKategorie", "Kategorie :")
            .required("Kategorie", "Pole Kategorie musí být zvoleno !"),
        Def("nebezpeci_druh", &R::kind)
            .identifies()
            .overview(6, "Druh nebezpečí", 1890)
            .exported("Druh nebezpečí", "Druh nebezpečí :", "chkNebezpeciDruh", "Nebezpečí - druh")
            .detail("txtDruh", "Druh :")
            .required("Druh", "Pole Druh musí být zvoleno !"),
        Def("nebezpeci_zdroj", &R::source)
            .identifies()
            .overview(7, "Zdroj nebezpečí", 2025)
            .exported("Zdroj nebezpečí", "Zdroj nebezpečí :", "chkNebezpeciZdroj",
                      "Nebezpečí - zdroj")
            .detail("txtZdroj", "Zdroj :")
            .required("Zdroj", "Pole Zdroj musí být vyplněno !"),
        Def("poskozeni_cast_tela", &R::damaged)
            .identifies()
            .overview(8, "Předmět poškození", 2310)
            .exported("Předmět poškození", "Předmět poškození :", "chkPoskozeniCastTela",
                      "Předmět poškození")
            .detail("txtCastTela", "Část těla :")
            .required("Předmět poškození", "Pole Předmět poškození musí být zvoleno !"),
        Def("poskozeni_charakter", &R::character)
            .identifies()
            .overview(9, "Poškození-charakter", 2355)
            .exported("Charakter poškození", "Poškození(charakter) :", "chkPoskozeniCharakter",
                      "Poškození - charakter")
            .detail("txtCharakter", "Charakter :"),
        Def("bezpecnostni_opatreni", &R::measures)
            .overview(10, "Bezpečnostní opatření", 2610)
            .exported("Opatření", "Přijatá opatření :", "chkPrijataOpatreni", "Přijatá opatření"),
        Def("zavaznost_popis", &R::severity)
            .overview(13, "Závažnost", 1485)
            .exported("Závažnost", "Závažnost :", "chkZavaznost", "Závažnost")
            .required("Závažnost", "Pole Závažnost musí být zvoleno !"),
        Def("pravdepodobnost_popis", &R::probability)
            .overview(14, "Pravděpodobnost", 2085)
            .exported("Pravděpodobnost", "Pravděpodobnost :", "chkPravdepodobnost",
                      "Pravděpodobnost")
            .required("Pravděpodobnost", "Pole Pravděpodobnost musí být zvoleno !"),
        Def("frekvence_popis", &R::frequency)
            .overview(15, "Frekvence", 1500)
            .exported("Frekvence", "Frekvence :", "chkFrekvence", "Frekvence"),
        Def("riziko", K::Value)
            .overview(17, "Riziko", 1065)
            .exported("Riziko", "Riziko :", "chkRiziko", "Riziko"),
        Def("legislativa", K::Breach)
            .overview(16, "Porušení požadavků", 1900)
            .exported("Porušení požadavků", "Porušení požadavků :", "chkPoruseniLegislativy",
                      "Porušení požadavků"),
        Def("napravna_opatreni", &R::corrective)
            .overview(19, "Nápravná opatření", 2220)
            .exported("Nápravná opatření", "Nápravná opatření :", "chkNapravnaOpatreni",
                      "Nápravná opatření"),
        Def("opatreni_zodpovida", &R::correctiveResponsible)
            .overview(20, "Opatření-zodpovídá", 2325)
            .exported("Opatření - zodpovídá", "Opatření - zodpovídá :", "chkOpatreniZodpovida",
                      "Opatření - zodpovídá"),
        Def("opatreni_termin", &R::correctiveDue)
            .overview(21, "Opatření-termín", 2010)
            .exported("Opatření - termín", "Opatření - termín :", "chkOpatreniTermin",
                      "Opatření - termín"),
        Def("opatreni_splneno", &R::correctiveDone)
            .overview(22, "Opatření-splněno", 1980)
            .exported("Opatření - splněno", "Opatření - splněno :", "chkOpatreniSplneno",
                      "Opatření - splněno"),
        Def("pozadavek_id", K::Requirement)
            .exported("Požadavek", "Požadavek :", "chkPozadavek", "Požadavek"),
        Def("cil", &R::goal).overview(23, "Cíl", 1550).exported("Cíl", "Cíl :", "chkCil", "Cíl"),
        Def("cilova_hodnota", &R::target)
            .overview(24, "Cílová hodnota", 1850)
            .exported("Cílová hodnota", "Cílová hodnota :", "chkCilovaHodnota", "Cílová hodnota"),
        Def("zdroje", &R::resources)
            .overview(25, "Zdroje", 1200)
            .exported("Zdroje", "Zdroje :", "chkZdroje", "Zdroje"),
        Def("program_zodpovida", &R::programmeResponsible)
            .overview(26, "Program-zodpovídá", 2310)
            .exported("Program_zodpovídá", "Program - zodpovídá :", "chkProgramZodpovida",
                      "Program - zodpovídá"),
        Def("program_termin", &R::programmeDue)
            .overview(27, "Program-termín", 1845)
            .exported("Program termín", "Program - termín :", "chkProgramTermin",
                      "Program - termín"),
        Def("program_splneno", &R::programmeDone)
            .overview(28, "Program-splněno", 2025)
            .exported("Program splněno", "Program - splněno :", "chkProgramSplneno",
                      "Program - splněno"),
        Def("poznamky", &R::notes)
            .overview(30, "Poznámky", 3210)
            .exported("Poznámky", "Poznámky :", "chkPoznamky", "Poznámky"),
        // Kept by the program from the attachments and the systems tree.
        Def("oopp_poskytnute", K::Summary).overview(11, "OOPP poskytnuto", 1910),
        Def("oopp_chybejici", K::Summary).overview(12, "OOPP chybí", 1490),
        Def("pozadavek", K::Summary).overview(18, "Požadavek", 1465),
        Def("dilci_ukoly", K::Summary).overview(29, "Dílčí úkoly", 1510),
        Def("cesta", K::Summary).overview(3, "Cesta", 1200),
    };
    return QVector<RiskField>(std::begin(list), std::end(list));
}

} // namespace

const schema::Field &RiskField::definition() const
{
    const schema::Field *f = schema::table(QStringLiteral("rizika")).field(column);
    if (!f)
        qFatal("rizika has no field %s", qPrintable(column));
    return *f;
}

const QVector<RiskField> &riskFields()
{
    static const QVector<RiskField> fields = buildFields();
    return fields;
}

const RiskField *riskField(const QString &column)
{
    static const QHash<QString, const RiskField *> byColumn = [] {
        QHash<QString, const RiskField *> map;
        for (const RiskField &f : riskFields())
            map.insert(f.column, &f);
        return map;
    }();
    return byColumn.value(column);
}

const QVector<const RiskField *> &overviewFields()
{
    static const QVector<const RiskField *> fields = [] {
        QVector<const RiskField *> list;
        for (const RiskField &f : riskFields())
            if (f.overviewPosition > 0)
                list << &f;
        std::sort(list.begin(), list.end(), [](const RiskField *a, const RiskField *b) {
            return a->overviewPosition < b->overviewPosition;
        });
        static const RiskField level =
            Def(LevelColumn.toUtf8().constData(), K::Level).overview(31, "Úroveň rizika", 1500);
        list.insert(std::find(list.begin(), list.end(), riskField(QStringLiteral("riziko"))) + 1,
                    &level);
        return list;
    }();
    return fields;
}

const RiskField *overviewField(const QString &caption)
{
    const QString trimmed = caption.trimmed();
    for (const RiskField *f : overviewFields())
        if (f->overviewCaption == trimmed)
            return f;
    return nullptr;
}

} // namespace tamvel::risks
