#include "headless/LignesCampagne.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "headless/Campagne.h"

namespace zef30 {

using namespace std::chrono_literals;

namespace {

// After SIGTERM, the seconds a hung line has to end before SIGKILL.
constexpr Horloge::Secondes kDelaiApresSigterm = 5s;
// A record is some hundreds of bytes; a line of more is not one of ours, and is dropped.
constexpr std::size_t kLigneMaximale = 1 << 20;

struct Suivi {
  ProcessusLigne processus;
  BilanLigne bilan;
  std::string tampon;
  Horloge::Instant nouvelle;  // when it last said something
  bool ouvert = true;         // its descriptor still gives records
  bool termine = false;       // reaped
  std::optional<Horloge::Instant> sigterm;
};

void LireLignes(Suivi& s, const std::function<void(const ExecutionRequete&)>& suivi,
                JournalCampagne* journal) {
  std::size_t debut = 0;
  for (std::size_t fin; (fin = s.tampon.find('\n', debut)) != std::string::npos; debut = fin + 1) {
    const std::string_view ligne = std::string_view(s.tampon).substr(debut, fin - debut);
    auto execution = LireExecutionJson(ligne);
    if (!execution) {
      // The line's summary says whether it was stopped before its end.
      if (ligne.find("\"resume\":true") != std::string_view::npos &&
          ligne.find("\"interrompue\":true") != std::string_view::npos)
        s.bilan.interrompue = true;
      continue;
    }
    execution->ligne = s.processus.ligne;
    if (suivi) suivi(*execution);
    if (journal != nullptr) {
      journal->Ajouter(*execution);
    } else {
      s.bilan.executions.push_back(std::move(*execution));
    }
  }
  s.tampon.erase(0, debut);
  if (s.tampon.size() > kLigneMaximale) s.tampon.clear();
}

void Recolter(Suivi& s, int options) {
  int etat = 0;
  const pid_t fini = ::waitpid(s.processus.pid, &etat, options);
  if (fini != s.processus.pid && !(fini < 0 && errno == ECHILD)) return;
  s.termine = true;
  if (fini != s.processus.pid || !s.bilan.fin.empty()) return;
  // 0 and 10 and up are a run's own codes; anything else, it could not run.
  if (WIFSIGNALED(etat)) {
    s.bilan.fin = "arrêtée par le signal " + std::to_string(WTERMSIG(etat));
  } else if (WIFEXITED(etat) && WEXITSTATUS(etat) != 0 && WEXITSTATUS(etat) < 10) {
    s.bilan.fin = "arrêtée avec le code " + std::to_string(WEXITSTATUS(etat));
  }
}

}  // namespace

std::vector<BilanLigne> RassemblerLignes(const std::vector<ProcessusLigne>& processus,
                                         const Horloge& horloge, Horloge::Secondes silenceMaximal,
                                         const std::function<void(const ExecutionRequete&)>& suivi,
                                         JournalCampagne* journal,
                                         const std::function<bool()>& arret) {
  std::vector<Suivi> lignes;
  bool arretTransmis = false;
  for (const auto& p : processus) {
    Suivi s;
    s.processus = p;
    s.bilan.ligne = p.ligne;
    s.nouvelle = horloge.Maintenant();
    lignes.push_back(std::move(s));
  }
  for (;;) {
    std::vector<pollfd> attentes;
    std::vector<Suivi*> lues;
    bool reste = false;
    for (auto& s : lignes) {
      if (s.ouvert) {
        attentes.push_back({s.processus.fd, POLLIN, 0});
        lues.push_back(&s);
      }
      if (!s.ouvert && !s.termine) Recolter(s, WNOHANG);
      reste = reste || s.ouvert || !s.termine;
    }
    if (!reste) break;
    if (!arretTransmis && arret && arret()) {
      arretTransmis = true;
      for (auto& s : lignes) {
        if (!s.termine) ::kill(s.processus.pid, SIGINT);
      }
    }
    // Wakes at least every second for the silences and the processes to reap.
    const int pret = ::poll(attentes.data(), attentes.size(), 200);
    if (pret < 0 && errno != EINTR) break;
    for (std::size_t i = 0; i < attentes.size(); ++i) {
      Suivi& s = *lues[i];
      if ((attentes[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) == 0) continue;
      char octets[8192];
      const ssize_t lus = ::read(s.processus.fd, octets, sizeof octets);
      if (lus < 0 && errno == EINTR) continue;
      if (lus <= 0) {
        s.ouvert = false;
        ::close(s.processus.fd);
        continue;
      }
      s.nouvelle = horloge.Maintenant();
      s.tampon.append(octets, static_cast<std::size_t>(lus));
      LireLignes(s, suivi, journal);
    }
    const Horloge::Instant maintenant = horloge.Maintenant();
    for (auto& s : lignes) {
      if (s.termine) continue;
      if (!s.sigterm && maintenant >= Horloge::Plus(s.nouvelle, silenceMaximal)) {
        s.bilan.fin = "sans nouvelle depuis " +
                      FormaterSecondes(silenceMaximal.count(), std::locale::classic()) +
                      " : arrêtée";
        ::kill(s.processus.pid, SIGTERM);
        s.sigterm = maintenant;
      } else if (s.sigterm && maintenant >= Horloge::Plus(*s.sigterm, kDelaiApresSigterm)) {
        ::kill(s.processus.pid, SIGKILL);
        Recolter(s, 0);
      }
    }
  }
  std::vector<BilanLigne> bilans;
  for (auto& s : lignes) {
    if (s.ouvert) ::close(s.processus.fd);
    bilans.push_back(std::move(s.bilan));
  }
  return bilans;
}

std::string TraceDeLigne(const std::string& trace, int ligne) {
  if (trace.empty()) return {};
  const auto barre = trace.find_last_of('/');
  const auto point = trace.find_last_of('.');
  const bool extension =
      point != std::string::npos && point > 0 && (barre == std::string::npos || point > barre + 1);
  const std::string suffixe = "-ligne-" + std::to_string(ligne);
  return extension ? trace.substr(0, point) + suffixe + trace.substr(point) : trace + suffixe;
}

}  // namespace zef30
