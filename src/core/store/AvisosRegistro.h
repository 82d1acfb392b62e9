#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Notices of changes made at other desks to one server session: polls it (twice a second) while
// someone listens and says when it saw a change the session did not make itself.
class AvisosRegistro : public QObject {
    Q_OBJECT
public:
    // `hayCambiosAjenos` consumes the session's notices and says whether any came from elsewhere.
    explicit AvisosRegistro(std::function<bool()> hayCambiosAjenos);
    // Starts polling (the first listener connected).
    void vigilar();
    // Checks now (the timer does it on its own).
    void revisar();

Q_SIGNALS:
    void registroCambiado();

private:
    QTimer timer_;
    std::function<bool()> hayCambiosAjenos_;
};
