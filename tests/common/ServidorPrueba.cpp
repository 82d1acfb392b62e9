#include "ServidorPrueba.h"

#include "core/store/PrepararServidor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <libpq-fe.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Debian keeps the server's programs outside PATH.
QString carpetaProgramas() {
    const QByteArray propia = qgetenv("VELMORA_PG_BIN");
    if (!propia.isEmpty())
        return QString::fromLocal8Bit(propia);
    QDir raiz(QStringLiteral("/usr/lib/postgresql"));
    QStringList versiones = raiz.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versiones.begin(), versiones.end(),
              [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versiones)
        if (QFileInfo::exists(raiz.filePath(v + QStringLiteral("/bin/initdb"))))
            return raiz.filePath(v + QStringLiteral("/bin"));
    return QString();
}

bool esRoot() {
    return ::geteuid() == 0;
}

void cederA(const QString& ruta, const passwd* pw) {
    if (pw && ::chown(QFile::encodeName(ruta).constData(), pw->pw_uid, pw->pw_gid) != 0)
        qWarning("chown %s", qPrintable(ruta));
}

// A TCP port nobody listens on now (other people's servers may run on this machine).
int puertoLibre() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t largo = sizeof(a);
    int puerto = 0;
    if (s >= 0 && ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &largo) == 0)
        puerto = ntohs(a.sin_port);
    if (s >= 0)
        ::close(s);
    return puerto;
}

bool openssl(const QStringList& argumentos, const QString& carpeta) {
    QProcess p;
    p.setWorkingDirectory(carpeta);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral("openssl"), argumentos);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

// A test authority and the server's certificate for "localhost" only, signed by it.
bool ServidorPrueba::crearCertificados() {
    const QString carpeta = dir_.path();
    QFile ext(QDir(carpeta).filePath(QStringLiteral("ext.cnf")));
    if (!ext.open(QIODevice::WriteOnly) || ext.write("subjectAltName=DNS:localhost\n") < 0)
        return false;
    ext.close();
    const bool ok =
        openssl({QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                 QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-keyout"),
                 QStringLiteral("ca.key"), QStringLiteral("-out"), QStringLiteral("ca.crt"),
                 QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=Autoridad de prueba")},
                carpeta) &&
        openssl({QStringLiteral("req"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
                 QStringLiteral("-nodes"), QStringLiteral("-keyout"), QStringLiteral("servidor.key"),
                 QStringLiteral("-out"), QStringLiteral("servidor.csr"), QStringLiteral("-subj"),
                 QStringLiteral("/CN=localhost")},
                carpeta) &&
        openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                 QStringLiteral("servidor.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                 QStringLiteral("-CAkey"), QStringLiteral("ca.key"), QStringLiteral("-CAcreateserial"),
                 QStringLiteral("-out"), QStringLiteral("servidor.crt"), QStringLiteral("-days"),
                 QStringLiteral("2"), QStringLiteral("-extfile"), QStringLiteral("ext.cnf")},
                carpeta);
    if (!ok)
        return false;
    const passwd* pw = esRoot() ? ::getpwnam("postgres") : nullptr;
    for (const char* nombre : {"servidor.key", "servidor.crt", "ca.crt"})
        cederA(QDir(carpeta).filePath(QString::fromLatin1(nombre)), pw);
    QFile::setPermissions(QDir(carpeta).filePath(QStringLiteral("servidor.key")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    autoridad_ = QDir(carpeta).filePath(QStringLiteral("ca.crt"));
    return true;
}

ServidorPrueba* ServidorPrueba::compartido(QString* motivo) {
    static std::unique_ptr<ServidorPrueba> servidor;
    static QString razon;
    static bool intentado = false;
    if (!intentado) {
        intentado = true;
        std::unique_ptr<ServidorPrueba> s(new ServidorPrueba);
        if (s->iniciar(&razon))
            servidor = std::move(s);
    }
    if (motivo)
        *motivo = razon;
    return servidor.get();
}

bool ServidorPrueba::correr(const QString& programa, const QStringList& argumentos, QString* salida) {
    QProcess p;
    QStringList args = argumentos;
    QString ejecutable = QDir(bin_).filePath(programa);
    if (esRoot()) {
        args.prepend(ejecutable);
        args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + args;
        ejecutable = QStringLiteral("runuser");
    }
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(ejecutable, args);
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (salida)
        *salida = QString::fromLocal8Bit(p.readAll());
    return ok;
}

bool ServidorPrueba::iniciar(QString* motivo) {
    bin_ = carpetaProgramas();
    if (bin_.isEmpty()) {
        *motivo = QStringLiteral("no se encuentran los programas del servidor PostgreSQL (initdb, pg_ctl); "
                                 "instálelos con scripts/dependencias.sh --pruebas");
        return false;
    }
    const passwd* pw = esRoot() ? ::getpwnam("postgres") : nullptr;
    if (esRoot() && !pw) {
        *motivo = QStringLiteral("se ejecuta como root y no existe el usuario postgres");
        return false;
    }
    if (!dir_.isValid()) {
        *motivo = QStringLiteral("no se pudo crear la carpeta temporal");
        return false;
    }
    cederA(dir_.path(), pw);
    datos_ = QDir(dir_.path()).filePath(QStringLiteral("datos"));
    socket_ = dir_.path();
    QString salida;
    if (!correr(QStringLiteral("initdb"),
                {QStringLiteral("-D"), datos_, QStringLiteral("-U"), QStringLiteral("postgres"),
                 QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                 QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                &salida)) {
        *motivo = QStringLiteral("initdb falló: ") + salida;
        return false;
    }
    // Passwords for one role (the wrong-password case), no questions for the others on the
    // socket; over TCP only TLS, with SCRAM passwords except for the superuser.
    tls_ = crearCertificados();
    puerto_ = puertoLibre();
    QFile hba(QDir(datos_).filePath(QStringLiteral("pg_hba.conf")));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all con_clave scram-sha-256\nlocal all all trust\n"
                  "hostssl all postgres 127.0.0.1/32 trust\nhostssl all all 127.0.0.1/32 scram-sha-256\n") <
            0) {
        *motivo = QStringLiteral("no se pudo escribir pg_hba.conf");
        return false;
    }
    hba.close();
    cederA(hba.fileName(), pw);
    if (!arrancar()) {
        QFile log(QDir(dir_.path()).filePath(QStringLiteral("servidor.log")));
        log.open(QIODevice::ReadOnly);
        *motivo = QStringLiteral("pg_ctl start falló: ") + QString::fromLocal8Bit(log.readAll());
        return false;
    }
    sql(QStringLiteral("CREATE ROLE con_clave LOGIN SUPERUSER PASSWORD 'correcta'"));
    return true;
}

bool ServidorPrueba::arrancar() {
    QString opciones = QStringLiteral("-k %1 -p %2 -c fsync=off -c synchronous_commit=off "
                                      "-c full_page_writes=off -c max_connections=60")
                           .arg(socket_)
                           .arg(puerto_);
    if (tls_)
        opciones +=
            QStringLiteral(" -c listen_addresses=127.0.0.1 -c ssl=on -c ssl_cert_file=%1/servidor.crt "
                           "-c ssl_key_file=%1/servidor.key")
                .arg(dir_.path());
    else
        opciones += QStringLiteral(" -c listen_addresses=''");
    return correr(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), datos_, QStringLiteral("-o"), opciones, QStringLiteral("-l"),
                   QDir(dir_.path()).filePath(QStringLiteral("servidor.log")), QStringLiteral("-w"),
                   QStringLiteral("start")});
}

bool ServidorPrueba::detener() {
    return correr(QStringLiteral("pg_ctl"),
                  {QStringLiteral("-D"), datos_, QStringLiteral("-m"), QStringLiteral("fast"),
                   QStringLiteral("-w"), QStringLiteral("stop")});
}

ServidorPrueba::~ServidorPrueba() {
    correr(QStringLiteral("pg_ctl"),
           {QStringLiteral("-D"), datos_, QStringLiteral("-m"), QStringLiteral("immediate"),
            QStringLiteral("-w"), QStringLiteral("stop")});
}

QString ServidorPrueba::conninfo(const QString& base) const {
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=postgres").arg(socket_).arg(puerto_).arg(base);
}

QString ServidorPrueba::conninfoTcp(const QString& base) const {
    return tls_ ? QStringLiteral("host=127.0.0.1 port=%1 dbname=%2 user=postgres sslmode=require")
                      .arg(puerto_)
                      .arg(base)
                : QString();
}

QString ServidorPrueba::conninfoTls(const QString& base, const QString& usuario, const QString& host) const {
    const QString quien = usuario.isEmpty() ? QString() : QStringLiteral(" user=") + usuario;
    return QStringLiteral("host=%1 port=%2 dbname=%3%4 sslmode=verify-full sslrootcert=%5")
        .arg(host)
        .arg(puerto_)
        .arg(base, quien, autoridad_);
}

bool ServidorPrueba::crearPersona(const QString& nombre, const QString& rol, const QString& clave) {
    return sql(QStringLiteral("DROP ROLE IF EXISTS %1").arg(nombre)) &&
           sql(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(nombre, clave)) &&
           sql(QStringLiteral("GRANT %1 TO %2").arg(rol, nombre));
}

bool ServidorPrueba::sql(const QString& sentencia, const QString& base) {
    const QByteArray info = conninfo(base.isEmpty() ? QStringLiteral("postgres") : base).toUtf8();
    PGconn* c = PQconnectdb(info.constData());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
        PGresult* r = PQexec(c, sentencia.toUtf8().constData());
        ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
        if (!ok)
            qWarning("%s", PQresultErrorMessage(r));
        PQclear(r);
    }
    PQfinish(c);
    return ok;
}

QString ServidorPrueba::baseNueva() {
    // The schema (and the hashing of the initial accounts) once; every database copies it.
    if (!plantilla_) {
        sql(QStringLiteral("CREATE DATABASE plantilla"));
        PrepararServidor(conninfo(QStringLiteral("plantilla")));
        plantilla_ = true;
    }
    const QString nombre = QStringLiteral("registro_%1").arg(++bases_);
    sql(QStringLiteral("CREATE DATABASE %1 TEMPLATE plantilla").arg(nombre));
    return conninfo(nombre);
}
