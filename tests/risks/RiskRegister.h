#pragma once

#include "TestDatabase.h"

#include "db/Database.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

// A fresh database with helpers for scales, risks and stored formulas.
struct RiskRegister
{
    QTemporaryDir dir;
    std::unique_ptr<tamvel::Database> db = newDatabase(dir);

    // table is "zavaznost", "pravdepodobnost" or "frekvence"; the value in tenths.
    void scale(const char *table, const QString &description, double tenths)
    {
        db->execute(QStringLiteral("INSERT INTO %1 (%1_popis, %1) VALUES (?, ?)")
                        .arg(QString::fromUtf8(table)),
                    {description, tenths});
    }

    enum State { Open, MeasureDone, ProgrammeDone };

    void risk(qint64 id, const QString &severity, const QString &probability,
              const QString &frequency, const QVariant &value, State state = Open)
    {
        db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, zavaznost_popis, "
                                   "pravdepodobnost_popis, frekvence_popis, riziko, "
                                   "opatreni_splneno, program_splneno) VALUES (?,?,?,?,?,?,?)"),
                    {id, severity, probability, frequency, value,
                     state == MeasureDone ? QDate(2024, 3, 5) : QDate(),
                     state == ProgrammeDone ? QDate(2024, 3, 6) : QDate()});
    }

    void formula(const QString &text, bool active)
    {
        db->execute(QStringLiteral("INSERT INTO algoritmy (algoritmus, aktivni) VALUES (?, ?)"),
                    {text, active ? 1.0 : 0.0});
    }

    // The stored value of a risk; an invalid QVariant for NULL.
    QVariant value(qint64 id)
    {
        return db->scalar(QStringLiteral("SELECT riziko FROM rizika WHERE id_riziko = ?"), {id});
    }

    // The rows of algoritmy in stored order, each as text and aktivni.
    QList<QPair<QString, double>> formulas()
    {
        QList<QPair<QString, double>> result;
        const tamvel::Rows rows =
            db->query(QStringLiteral("SELECT algoritmus, aktivni FROM algoritmy ORDER BY rowid"));
        for (int i = 0; i < rows.size(); ++i)
            result.append({rows.at(i, 0).toString(), rows.at(i, 1).toDouble()});
        return result;
    }
};
