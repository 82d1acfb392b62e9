#pragma once

#include <QString>
#include <QStringList>

// What differs between the SQL of the two stores. The program writes SQLite's dialect with `?`
// placeholders; a store whose server speaks another turns each text into its own.
class Dialecto {
public:
    virtual ~Dialecto() = default;
    // The statement text as this store runs it.
    virtual QString traducir(const QString& sql) const = 0;
    // A column name as this store spells it in a statement it did not create.
    virtual QString nombreColumna(const QString& nombre) const = 0;
    // Where desks write at once, client numbers are unique: the statements that make them so.
    virtual QStringList numerosClienteUnicos() const = 0;
    // Whether other desks write to the same register meanwhile (a row read may be gone).
    virtual bool variosPuestos() const = 0;
    // Whether the server numbers, stamps and chains the activity log itself (a trigger) or the
    // program does it inside the change's transaction.
    virtual bool cadenaEnServidor() const = 0;
    // The triggers of the activity log: no UPDATE or DELETE, and the chain where the server keeps it.
    virtual QStringList esquemaActividad() const = 0;
    // The whole number a stored text holds (digits only, at most nine), else NULL, as an SQL
    // expression over `expresion`: the server refuses to cast other texts.
    virtual QString enteroDeTexto(const QString& expresion) const = 0;
    // Whether `expresion` is a text of exactly eight ASCII digits (a stored date), as SQL.
    virtual QString ochoCifras(const QString& expresion) const = 0;
    // Where other desks write at once: the triggers that tell them which clients and whose rows a
    // change touched, so each desk reads again only those.
    virtual QStringList avisosCambios() const = 0;
};
