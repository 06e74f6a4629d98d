#include "app/DemoDatabase.h"

#include "codelists/SystemPaths.h"
#include "db/Database.h"
#include "db/DatabaseFiles.h"
#include "risks/Formula.h"

#include <QDate>
#include <QStringList>
#include <QVector>

namespace tamvel::demo {

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList list(std::initializer_list<const char *> items)
{
    QStringList result;
    for (const char *item : items)
        result << s(item);
    return result;
}

// splitmix64: small, fast and the same on every platform, unlike the standard
// distributions.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <class T> const T &pick(const QVector<T> &items) { return items[below(items.size())]; }
    const QString &pick(const QStringList &items) { return items[below(items.size())]; }

private:
    quint64 m_state;
};

struct Workshop
{
    QString name;
    QStringList workplaces;
    QStringList staff;
    QVector<int> hazards; // indexes into hazards()
};

const QString Root = s("Strojírny Hradec a.s.");
const QString Others = s("ostatní");

QVector<Workshop> workshops()
{
    return {
        {s("Lisovna"),
         list({"Lis CKW 400", "Lis LEN 160", "Stříhací linka"}),
         list({"Lisař", "Seřizovač", "Jeřábník", "Mistr"}),
         {0, 1, 9, 11, 13, 17}},
        {s("Svařovna"),
         list({"Svařovací robot 1", "Ruční svařování", "Brusírna"}),
         list({"Svářeč", "Brusič", "Jeřábník", "Mistr"}),
         {0, 3, 8, 10, 11, 17}},
        {s("Lakovna"),
         list({"Předúprava", "Lakovací kabina", "Sušárna"}),
         list({"Lakýrník", "Mistr", "Úklid"}),
         {6, 7, 10, 18, 19}},
        {s("Montážní hala"),
         list({"Montážní linka A", "Montážní linka B", "Kontrola kvality"}),
         list({"Montážní dělník", "Kontrolor kvality", "Mistr", "Jeřábník"}),
         {0, 1, 13, 14, 15, 17}},
        {s("Údržba"),
         list({"Elektrodílna", "Strojní dílna", "Kompresorovna"}),
         list({"Elektrikář", "Zámečník údržby", "Obsluha kompresoru"}),
         {2, 4, 5, 9, 12, 14}},
        {s("Sklad a expedice"),
         list({"Vysokoregálový sklad", "Expedice", "Sklad chemikálií"}),
         list({"Skladník", "Řidič VZV", "Expedient"}),
         {11, 12, 13, 16, 17, 18}},
        {s("Administrativa"),
         list({"Kanceláře", "Zasedací místnost"}),
         list({"Administrativní pracovník", "Úklid"}),
         {11, 14, 15}},
    };
}

struct Hazard
{
    QString category;
    QString kind;
    QStringList sources;
    QString injured;
    QString nature;
    QString measures;
    QString corrective;
    QStringList provided; // protective equipment usually provided
    QStringList missing;  // equipment that is sometimes found missing
    int requirement;      // pozadavek_id that fits, 0 none
};

QVector<Hazard> hazards()
{
    return {
        {s("Mechanické nebezpečí"), s("Pořezání, píchnutí"),
         list({"Ostré hrany výlisků", "Stříhání plechu", "Manipulace s odřezky"}), s("Prsty"),
         s("Řezné rány prstů a dlaní"), s("Kryty nástrojů, odkládací stojany"),
         s("Zavést rukavice odolné proti pořezání"), list({"Rukavice proti pořezání"}),
         list({"Ochranné brýle"}), 1},
        {s("Mechanické nebezpečí"),
         s("Přimáčknutí, rozdrcení"),
         list({"Pohyblivé beranidlo lisu", "Zavírání přípravku", "Posuv materiálu"}),
         s("Ruce"),
         s("Rozdrcení ruky mezi nástroji"),
         s("Dvouruční ovládání, světelná závora"),
         s("Ověřit funkci světelné závory při každé směně"),
         list({"Pracovní rukavice", "Bezpečnostní obuv S3"}),
         {},
         2},
        {s("Mechanické nebezpečí"),
         s("Zachycení rotujícími částmi"),
         list({"Vřeteno soustruhu", "Hnací hřídel dopravníku"}),
         s("Paže"),
         s("Zachycení oděvu a vtažení končetiny"),
         s("Pevné kryty, nouzové zastavení"),
         s("Doplnit kryt hřídele a zákaz volného oděvu"),
         list({"Ochranný oděv"}),
         {},
         2},
        {s("Mechanické nebezpečí"), s("Odlétávající částice"),
         list({"Broušení svarů", "Ofukování tlakovým vzduchem"}), s("Oči"),
         s("Poranění oka cizím tělesem"), s("Kryt brusky, odsávání"),
         s("Povinné nošení obličejového štítu při broušení"), list({"Ochranné brýle"}),
         list({"Obličejový štít"}), 1},
        {s("Elektrické nebezpečí"),
         s("Dotyk s živou částí"),
         list({"Rozvaděč strojů", "Poškozený přívodní kabel"}),
         s("Celé tělo"),
         s("Úraz elektrickým proudem"),
         s("Revize elektrických zařízení, uzamčené rozvaděče"),
         s("Zkrátit lhůty kontrol přívodních kabelů"),
         list({"Dielektrické rukavice"}),
         {},
         3},
        {s("Elektrické nebezpečí"),
         s("Elektrický oblouk"),
         list({"Spínání pod zatížením", "Práce na rozvaděči"}),
         s("Obličej"),
         s("Popálení obličeje a rukou"),
         s("Práce pouze ve vypnutém stavu"),
         s("Zpracovat pracovní postup pro práce pod napětím"),
         list({"Obličejový štít", "Dielektrické rukavice"}),
         {},
         3},
        {s("Chemické látky"), s("Vdechnutí par a aerosolů"),
         list({"Nanášení barev stříkáním", "Ředidla v otevřených nádobách"}), s("Dýchací cesty"),
         s("Otrava, podráždění dýchacích cest"), s("Odsávání kabiny, větrání"),
         s("Provést měření koncentrace par"), list({"Polomaska s filtrem"}),
         list({"Respirátor FFP2"}), 9},
        {s("Chemické látky"), s("Poleptání kůže a očí"),
         list({"Odmašťovací lázeň", "Ředění kyselin"}), s("Kůže"), s("Poleptání rukou a očí"),
         s("Bezpečnostní listy, oční sprcha"), s("Doplnit oční sprchu u lázně"),
         list({"Chemické rukavice", "Ochranné brýle"}), list({"Ochranný oděv"}), 9},
        {s("Fyzikální faktory"),
         s("Optické záření"),
         list({"Svařovací oblouk"}),
         s("Oči"),
         s("Zánět spojivek, popálení sítnice"),
         s("Zástěny svařovacích míst"),
         s("Doplnit ochranné zástěny mezi pracovišti"),
         list({"Svářečská kukla", "Svářečská zástěra"}),
         {},
         1},
        {s("Fyzikální faktory"),
         s("Hluk"),
         list({"Chod lisů", "Ofukování tlakovým vzduchem"}),
         s("Sluch"),
         s("Poškození sluchu"),
         s("Kategorizace práce, omezení doby expozice"),
         s("Provést měření hluku na pracovišti"),
         list({"Chrániče sluchu"}),
         {},
         4},
        {s("Fyzikální faktory"),
         s("Tepelná zátěž"),
         list({"Sušicí pec", "Letní provoz haly", "Předehřev svařenců"}),
         s("Celé tělo"),
         s("Přehřátí organismu"),
         s("Pitný režim, přestávky"),
         s("Instalovat nucené větrání"),
         {},
         {},
         0},
        {s("Pád a uklouznutí"),
         s("Uklouznutí na podlaze"),
         list({"Olej na podlaze", "Mokrá podlaha u vstupu"}),
         s("Nohy"),
         s("Podvrtnutí kotníku, zlomenina"),
         s("Úklid, sorpční prostředky"),
         s("Zavést pravidelný úklid podlah"),
         list({"Bezpečnostní obuv S3"}),
         {},
         8},
        {s("Pád a uklouznutí"),
         s("Pád z výšky"),
         list({"Práce na žebříku", "Údržba střešních ventilátorů", "Horní patro regálu"}),
         s("Celé tělo"),
         s("Zlomeniny, poranění hlavy"),
         s("Zábradlí, kotvicí body"),
         s("Pořídit pojízdné lešení s zábradlím"),
         list({"Postroj proti pádu", "Ochranná přilba"}),
         {},
         5},
        {s("Ergonomie a zátěž"),
         s("Ruční manipulace s břemeny"),
         list({"Zakládání polotovarů", "Překládání beden"}),
         s("Páteř a záda"),
         s("Poškození páteře"),
         s("Manipulační vozíky"),
         s("Omezit hmotnost přenášených břemen"),
         list({"Pracovní rukavice"}),
         {},
         6},
        {s("Ergonomie a zátěž"),
         s("Nucená pracovní poloha"),
         list({"Montáž pod vozidlem", "Práce v předklonu"}),
         s("Páteř a záda"),
         s("Bolesti zad a kloubů"),
         s("Střídání činností"),
         s("Pořídit výškově nastavitelné stoly"),
         {},
         {},
         0},
        {s("Ergonomie a zátěž"),
         s("Zraková zátěž"),
         list({"Práce se zobrazovací jednotkou"}),
         s("Oči"),
         s("Únava očí"),
         s("Přestávky, osvětlení"),
         s("Doplnit místní osvětlení"),
         {},
         {},
         0},
        {s("Doprava a manipulace"),
         s("Náraz vozíku"),
         list({"Provoz VZV v uličkách", "Couvání vozíku"}),
         s("Nohy"),
         s("Přejetí, zhmoždění"),
         s("Vyznačené komunikace, zrcadla"),
         s("Oddělit pěší trasy zábradlím"),
         list({"Reflexní vesta", "Bezpečnostní obuv S3"}),
         {},
         10},
        {s("Doprava a manipulace"),
         s("Pád břemene z jeřábu"),
         list({"Přeprava svitků", "Vázání břemen"}),
         s("Hlava"),
         s("Zranění padajícím břemenem"),
         s("Vazači s průkazem, kontrola vázacích prostředků"),
         s("Vyřadit poškozené vázací prostředky"),
         list({"Ochranná přilba", "Bezpečnostní obuv S3"}),
         {},
         7},
        {s("Požár a výbuch"),
         s("Hořlavé kapaliny"),
         list({"Sklad ředidel", "Plnění nádob barvou"}),
         s("Celé tělo"),
         s("Popáleniny"),
         s("Hasicí přístroje, zákaz kouření"),
         s("Přemístit zásobu ředidel do skladu hořlavin"),
         list({"Ochranný oděv"}),
         {},
         9},
        {s("Požár a výbuch"),
         s("Výbušná atmosféra"),
         list({"Stříkací kabina", "Nabíjení akumulátorů VZV"}),
         s("Celé tělo"),
         s("Popáleniny, zranění tlakovou vlnou"),
         s("Větrání, zařízení v nevýbušném provedení"),
         s("Zpracovat dokumentaci o ochraně před výbuchem"),
         {},
         {},
         0},
    };
}

struct Scale
{
    const char *table;
    QVector<QPair<QString, int>> entries; // description, value in tenths
};

QVector<Scale> scales()
{
    return {
        {"zavaznost",
         {{s("Malé zranění, první pomoc"), 10},
          {s("Lehký úraz s pracovní neschopností"), 30},
          {s("Vážný úraz"), 70},
          {s("Těžký úraz s trvalými následky"), 150},
          {s("Smrtelný úraz"), 400},
          {s("Hromadné neštěstí"), 1000}}},
        {"pravdepodobnost",
         {{s("Prakticky nemožná"), 1},
          {s("Myslitelná, ale nepravděpodobná"), 2},
          {s("Velmi nepravděpodobná"), 5},
          {s("Neobvyklá, ale možná"), 10},
          {s("Zcela možná"), 30},
          {s("Velmi pravděpodobná"), 60},
          {s("Očekávatelná"), 100}}},
        {"frekvence",
         {{s("Velmi zřídka"), 5},
          {s("Zřídka (ročně)"), 10},
          {s("Občas (měsíčně)"), 20},
          {s("Příležitostně (týdně)"), 30},
          {s("Často (denně)"), 60},
          {s("Trvale"), 100}}},
    };
}

const QStringList People = list({"J. Novák", "P. Svoboda", "M. Dvořáková", "K. Černý",
                                 "L. Procházka", "E. Kučerová", "T. Veselý", "R. Horák"});

void fillCodeLists(Database &db)
{
    const QVector<Workshop> shops = workshops();

    QStringList workers{Others};
    for (const Workshop &w : shops)
        for (const QString &worker : w.staff)
            if (!workers.contains(worker))
                workers << worker;
    for (const QString &worker : workers)
        db.execute(s("INSERT INTO pracovnici (pracovnik) VALUES (?)"), {worker});

    const QString addSystem = s("INSERT INTO systemy (system, system_nadrazeny) VALUES (?, ?)");
    const QString addStaff = s("INSERT INTO system_pracovnik (system, pracovnik) VALUES (?, ?)");
    db.execute(addSystem, {Root, QString()});
    db.execute(addStaff, {Root, Others});
    db.execute(addStaff, {Root, s("Mistr")});
    for (const Workshop &w : shops) {
        db.execute(addSystem, {w.name, Root});
        for (const QString &system : QStringList{w.name} + w.workplaces) {
            if (system != w.name)
                db.execute(addSystem, {system, w.name});
            db.execute(addStaff, {system, Others});
            for (const QString &worker : w.staff)
                db.execute(addStaff, {system, worker});
        }
    }

    QStringList categories, injured, equipment;
    for (const Hazard &h : hazards()) {
        if (!categories.contains(h.category)) {
            categories << h.category;
            db.execute(s("INSERT INTO nebezpeci_kategorie (nebezpeci_kategorie) VALUES (?)"),
                       {h.category});
        }
        db.execute(s("INSERT INTO nebezpeci_kategorie_druh (nebezpeci_druh, nebezpeci_kategorie) "
                     "VALUES (?, ?)"),
                   {h.kind, h.category});
        if (!injured.contains(h.injured))
            injured << h.injured;
        for (const QString &e : h.provided + h.missing)
            if (!equipment.contains(e))
                equipment << e;
    }
    injured << list({"Prsty", "Chodidla", "Krk"});
    injured.removeDuplicates();
    for (const QString &part : injured)
        db.execute(s("INSERT INTO poskozeni (cast_tela) VALUES (?)"), {part});
    equipment << s("Pracovní oděv");
    for (const QString &e : equipment)
        db.execute(s("INSERT INTO oop (oop) VALUES (?)"), {e});

    for (const Scale &scale : scales()) {
        const QString table = QString::fromLatin1(scale.table);
        const QString sql = s("INSERT INTO %1 (%1_popis, %1) VALUES (?, ?)").arg(table);
        for (const auto &entry : scale.entries)
            db.execute(sql, {entry.first, entry.second});
    }
    const QVector<QPair<QString, int>> levels{{s("Mírné riziko"), 20},
                                              {s("Významné riziko"), 70},
                                              {s("Vysoké riziko"), 200},
                                              {s("Nepřijatelné riziko"), 400}};
    for (const auto &level : levels)
        db.execute(s("INSERT INTO urovne_rizika (limitni_uroven_rizika, riziko_od) VALUES (?, ?)"),
                   {level.first, level.second});
    db.execute(s("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, ?)"), {s("Z*P*F"), 1});
    db.execute(s("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, ?)"), {s("Z*P"), 0});
}

void fillRegulations(Database &db)
{
    const QVector<QPair<QString, QString>> types{{s("Zákon"), s("ZA")},
                                                 {s("Nařízení vlády"), s("NV")},
                                                 {s("Vyhláška"), s("VY")},
                                                 {s("Norma"), s("CN")},
                                                 {s("Vnitřní předpis"), s("VP")}};
    for (const auto &t : types)
        db.execute(s("INSERT INTO typ (typ, zkratka) VALUES (?, ?)"), {t.first, t.second});

    struct Regulation
    {
        int type;
        const char *number;
        const char *title;
        QDate issued;
        const char *note;
    };
    const Regulation regulations[] = {
        {0, "262/2006 Sb.", "Zákoník práce", {2006, 4, 21}, "část pátá, BOZP"},
        {0,
         "309/2006 Sb.",
         "Zákon o zajištění dalších podmínek bezpečnosti a ochrany zdraví při práci",
         {2006, 5, 23},
         ""},
        {0, "258/2000 Sb.", "Zákon o ochraně veřejného zdraví", {2000, 7, 14}, ""},
        {1,
         "361/2007 Sb.",
         "Nařízení vlády, kterým se stanoví podmínky ochrany zdraví při práci",
         {2007, 12, 12},
         "hluk, vibrace, fyzická zátěž"},
        {1,
         "390/2021 Sb.",
         "Nařízení vlády o bližších podmínkách poskytování osobních ochranných pracovních "
         "prostředků, mycích, čisticích a dezinfekčních prostředků",
         {2021, 10, 18},
         ""},
        {1,
         "378/2001 Sb.",
         "Nařízení vlády o bližších požadavcích na bezpečný provoz a používání strojů, "
         "technických zařízení, přístrojů a nářadí",
         {2001, 8, 8},
         ""},
        {1,
         "101/2005 Sb.",
         "Nařízení vlády o podrobnějších požadavcích na pracoviště a pracovní prostředí",
         {2005, 2, 16},
         ""},
        {1,
         "362/2005 Sb.",
         "Nařízení vlády o bližších požadavcích na bezpečnost a ochranu zdraví při práci na "
         "pracovištích s nebezpečím pádu z výšky nebo do hloubky",
         {2005, 8, 3},
         ""},
        {2, "50/1978 Sb.", "Vyhláška o odborné způsobilosti v elektrotechnice", {1978, 4, 26}, ""},
        {3,
         "ČSN 33 1500",
         "Elektrotechnické předpisy. Revize elektrických zařízení",
         {1990, 6, 1},
         "lhůty revizí"},
        {3,
         "ČSN ISO 45001",
         "Systémy managementu bezpečnosti a ochrany zdraví při práci",
         {2018, 9, 1},
         ""},
        {4,
         "VP-BOZP-01",
         "Místní provozní bezpečnostní předpis pro provoz VZV a jeřábů",
         {2024, 1, 15},
         "schválil ředitel závodu"},
    };
    int id = 0;
    for (const Regulation &r : regulations)
        db.execute(s("INSERT INTO predpisy (predpis_id, typ, cislo, nazev, vydano, poznamka) "
                     "VALUES (?, ?, ?, ?, ?, ?)"),
                   {++id, types[r.type].first, s(r.number), s(r.title), r.issued, s(r.note)});

    struct Requirement
    {
        const char *first;
        const char *second;
        QVector<int> regulations;
    };
    const Requirement requirements[] = {
        {"Zaměstnavatel je povinen poskytnout zaměstnancům osobní ochranné pracovní prostředky "
         "podle vyhodnocení rizik a vést o jejich přidělení evidenci.",
         "",
         {1, 5}},
        {"Nebezpečné části strojů musí být zakryty nebo jinak zabezpečeny proti nahodilému "
         "dotyku; ochranná zařízení nesmí být vyřazena z činnosti.",
         "",
         {6}},
        {"Elektrická zařízení musí být udržována v bezpečném stavu a pravidelně revidována ",
         "v lhůtách stanovených normou; práce na nich smí provádět jen osoby s odbornou "
         "způsobilostí.",
         {9, 10}},
        {"Překračuje-li hluk přípustný expoziční limit, musí zaměstnavatel poskytnout chrániče "
         "sluchu a označit prostor.",
         "",
         {3, 4}},
        {"Pracoviště ve výšce nad 1,5 m musí být zajištěno proti pádu kolektivní ochranou, "
         "není-li to možné, osobním zajištěním.",
         "",
         {8}},
        {"Hmotnost ručně manipulovaného břemene nesmí překročit hygienické limity.", "", {4}},
        {"Jeřáby a vázací prostředky musí být pravidelně kontrolovány; vázat břemena smí jen "
         "proškolení vazači.",
         "",
         {6, 12}},
        {"Podlahy pracovišť musí být rovné, nekluzké a udržované v čistotě.", "", {7}},
        {"Nebezpečné chemické látky musí být uloženy v označených obalech a zaměstnanci "
         "seznámeni s bezpečnostními listy.",
         "",
         {3}},
        {"Vysokozdvižné vozíky smí obsluhovat jen zaměstnanci s platným průkazem obsluhy; "
         "komunikace musí být vyznačeny.",
         "",
         {6, 12}},
        {"Zaměstnanci musí být prokazatelně seznámeni s riziky své práce a proškoleni o "
         "bezpečnosti a ochraně zdraví při práci.",
         "",
         {1, 2, 11}},
    };
    id = 0;
    for (const Requirement &r : requirements) {
        ++id;
        db.execute(s("INSERT INTO pozadavky (pozadavek_id, pozadavek1, pozadavek2, pozadavek3, "
                     "pozadavek4) VALUES (?, ?, ?, ?, ?)"),
                   {id, s(r.first), s(r.second), QString(), QString()});
        for (int regulation : r.regulations)
            db.execute(s("INSERT INTO pozadavky_predpisy (pozadavek_id, predpis_id) VALUES (?, ?)"),
                       {id, regulation});
    }
}

QString yesNo(bool value)
{
    return value ? s("ano") : s("ne");
}

void fillRisks(Database &db, int riskCount)
{
    const QVector<Workshop> shops = workshops();
    const QVector<Hazard> hazardList = hazards();
    const QVector<Scale> scaleList = scales();
    const systems::ParentMap parents = systems::loadParents(db);
    QHash<QString, QString> paths;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it)
        paths.insert(it.key(), systems::path(it.key(), parents));
    const QStringList subTasks =
        list({"Proškolit obsluhu", "Doplnit bezpečnostní značení", "Provést revizi zařízení",
              "Aktualizovat místní provozní předpis", "Objednat OOPP", "Provést měření",
              "Opravit ochranný kryt", "Zajistit vstupní lékařské prohlídky"});
    const QStringList notes = list({"", "", "Projednáno se zástupcem zaměstnanců",
                                    "Kontrola při příštím auditu", "Podnět z kontroly OIP"});

    const QString insertRisk =
        s("INSERT INTO rizika (id_riziko, system, pracovnik, nebezpeci_kategorie, nebezpeci_zdroj, "
          "nebezpeci_druh, poskozeni_cast_tela, poskozeni_charakter, bezpecnostni_opatreni, "
          "zavaznost_popis, pravdepodobnost_popis, frekvence_popis, riziko, napravna_opatreni, "
          "opatreni_zodpovida, opatreni_termin, opatreni_splneno, pozadavek_id, cil, "
          "cilova_hodnota, zdroje, program_zodpovida, program_termin, program_splneno, poznamky, "
          "oopp_poskytnute, oopp_chybejici, pozadavek, dilci_ukoly, cesta, legislativa) "
          "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    const QString insertEquipment =
        s("INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) VALUES (?, ?, ?)");
    const QString insertSubTask =
        s("INSERT INTO dilci_ukoly (id_riziko, termin, zodpovida, ukol) VALUES (?, ?, ?, ?)");
    const QString insertClosed =
        s("INSERT INTO rizika_uzavrene (id_riziko, algoritmus) VALUES (?, ?)");
    const QDate start(2025, 1, 6);

    // The register's own evaluation of its active formula.
    const Formula formula(s("Z*P*F"));
    Random random(20261206);
    for (int id = 1; id <= riskCount; ++id) {
        const Workshop &shop = random.pick(shops);
        const QString system = random.chance(85) ? random.pick(shop.workplaces) : shop.name;
        const QString worker = random.chance(10) ? Others : random.pick(shop.staff);
        const Hazard &hazard = hazardList[random.pick(shop.hazards)];

        // Ratings lean towards the middle of each scale, as real assessments do.
        QString ratings[3];
        double numbers[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            const auto &entries = scaleList[i].entries;
            const int middle = entries.size() / 2;
            const int index = qBound(
                0, middle + random.below(entries.size()) - entries.size() / 2 + random.below(2) - 1,
                int(entries.size()) - 1);
            ratings[i] = entries[index].first;
            numbers[i] = entries[index].second / 10.0;
        }
        const double value =
            formula.evaluate(Ratings{numbers[0], numbers[1], numbers[2]}).value_or(0);

        const bool closed = random.chance(25);
        const QDate measureDue = start.addDays(random.below(700));
        const QDate programmeDue = measureDue.addDays(random.below(120));
        const QDate measureDone = closed ? measureDue.addDays(-random.below(45)) : QDate();
        const QDate programmeDone = closed ? programmeDue.addDays(-random.below(30)) : QDate();
        const int requirement =
            hazard.requirement != 0 && random.chance(60) ? hazard.requirement : 0;
        const QString breach = requirement != 0 && random.chance(15) ? s("a") : s("n");

        QStringList provided, missing;
        for (const QString &e : hazard.provided)
            if (random.chance(80))
                provided << e;
        for (const QString &e : hazard.missing + hazard.provided)
            if (!provided.contains(e) && !missing.contains(e) && random.chance(30))
                missing << e;
        const int subTaskCount = random.chance(35) ? 1 + random.below(2) : 0;

        db.execute(insertRisk, {id,
                                system,
                                worker,
                                hazard.category,
                                random.pick(hazard.sources),
                                hazard.kind,
                                hazard.injured,
                                hazard.nature,
                                hazard.measures,
                                ratings[0],
                                ratings[1],
                                ratings[2],
                                value,
                                hazard.corrective,
                                random.pick(People),
                                measureDue,
                                measureDone,
                                requirement,
                                s("Snížit riziko na přijatelnou úroveň"),
                                value >= 70 ? s("Riziko pod 70") : s("Udržet riziko pod 70"),
                                random.chance(50) ? s("Rozpočet BOZP") : s("Vlastní údržba"),
                                random.pick(People),
                                programmeDue,
                                programmeDone,
                                random.pick(notes),
                                yesNo(!provided.isEmpty()),
                                yesNo(!missing.isEmpty()),
                                yesNo(requirement != 0),
                                yesNo(subTaskCount > 0),
                                paths.value(system),
                                breach});
        for (const QString &e : provided)
            db.execute(insertEquipment, {id, e, s("a")});
        for (const QString &e : missing)
            db.execute(insertEquipment, {id, e, s("n")});
        for (int i = 0; i < subTaskCount; ++i)
            db.execute(insertSubTask, {id, measureDue.addDays(-7 * (i + 1)), random.pick(People),
                                       random.pick(subTasks)});
        if (closed)
            db.execute(insertClosed, {id, s("Z*P*F")});
    }
}

} // namespace

void fill(Database &db, int riskCount)
{
    inTransaction(db, [&] {
        fillCodeLists(db);
        fillRegulations(db);
        fillRisks(db, riskCount);
    });
}

void writeDemoDatabase(const QString &path, int riskCount)
{
    files::writeNewDatabase(path, false, [&](Database &db) { fill(db, riskCount); });
}

} // namespace tamvel::demo
