#include "simulator/TerminalSimule.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "link/FichierRegulier.h"
#include "link/PortPosix.h"
#include "simulator/Protocole.h"
#include "simulator/PseudoTerminal.h"
#include "simulator/TraficEcoute.h"

namespace zef30::simulateur {

namespace {

using Horloge = std::chrono::steady_clock;

// A terminal left running for days keeps only the recent traffic for Recu and Emis.
constexpr std::size_t kTraceMax = 1024 * 1024;

void Garder(std::string& trace, std::string_view ajout) {
  trace += ajout;
  if (trace.size() > 2 * kTraceMax) trace.erase(0, trace.size() - kTraceMax);
}

void FermerDescripteur(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

TerminalSimule::TerminalSimule(Scenario scenario)
    : scenario_(std::move(scenario)), familles_(FamillesConnues()) {}

TerminalSimule::~TerminalSimule() {
  Arreter();
  Fermer();
}

void TerminalSimule::Fermer() {
  FermerDescripteur(fd_);
  FermerDescripteur(esclave_);
  FermerDescripteur(reveil_[0]);
  FermerDescripteur(reveil_[1]);
  garde_.Arreter();
}

namespace {
constexpr std::string_view kDejaEnJeu = "le terminal simulé joue déjà sur une ligne";
}  // namespace

Resultat<std::string> TerminalSimule::OuvrirPseudoTerminal() {
  if (fil_.joinable()) return Invalide(std::string(kDejaEnJeu));
  Fermer();
  auto pt = simulateur::OuvrirPseudoTerminal();
  if (!pt) return std::move(pt).Erreur();
  fd_ = pt->maitre;
  esclave_ = pt->esclave;
  garde_.Surveiller(pt->chemin, pt->esclave);
  return pt->chemin;
}

Resultat<void> TerminalSimule::OuvrirPeripherique(const std::string& chemin) {
  if (fil_.joinable()) return Invalide(std::string(kDejaEnJeu));
  Fermer();
  const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    return EchecSysteme(e, chemin + " : ouverture impossible : " + DecrireErreur(e));
  }
  if (!ReglerLigneBrute(fd, B9600)) {
    const int e = errno;
    ::close(fd);
    return EchecSysteme(
        e, chemin + (e == ENOTTY ? " : ce n’est pas une ligne série"
                                 : " : réglage de la ligne impossible : " + DecrireErreur(e)));
  }
  fd_ = fd;
  return {};
}

void TerminalSimule::Demarrer() {
  if (fil_.joinable() || fd_ < 0) return;
  if (reveil_[0] < 0 && ::pipe2(reveil_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  {
    std::lock_guard verrou(verrou_);
    arret_ = false;
    enMarche_ = true;
  }
  fil_ = std::thread([this] { Jouer(); });
}

void TerminalSimule::Arreter() {
  {
    std::lock_guard verrou(verrou_);
    arret_ = true;
    changement_.notify_all();  // a pause of the terminal ends at once
  }
  Reveiller();
  if (fil_.joinable()) fil_.join();
  std::lock_guard verrou(verrou_);
  enMarche_ = false;
  changement_.notify_all();
}

bool TerminalSimule::EnMarche() const {
  std::lock_guard verrou(verrou_);
  return enMarche_;
}

void TerminalSimule::Reveiller() {
  if (reveil_[1] < 0) return;
  const char un = 1;
  [[maybe_unused]] const auto ecrit = ::write(reveil_[1], &un, 1);
}

void TerminalSimule::ModifierScenario(const std::function<void(Scenario&)>& modification) {
  std::lock_guard verrou(verrou_);
  modification(scenario_);
}

void TerminalSimule::AjouterFamille(std::string debut, Famille famille) {
  std::lock_guard verrou(verrou_);
  familles_.Ajouter(std::move(debut), std::move(famille));
}

void TerminalSimule::EmettreSpontanement(Deroulement deroulement) {
  {
    std::lock_guard verrou(verrou_);
    spontanes_.push_back(std::move(deroulement));
  }
  Reveiller();
}

std::string TerminalSimule::Recu() const {
  std::lock_guard verrou(verrou_);
  return recu_;
}

std::string TerminalSimule::Emis() const {
  std::lock_guard verrou(verrou_);
  return emis_;
}

int TerminalSimule::RequetesServies() const {
  std::lock_guard verrou(verrou_);
  return servies_;
}

int TerminalSimule::LignesRendues() const {
  std::lock_guard verrou(verrou_);
  return rendues_;
}

bool TerminalSimule::AttendreLignesRendues(int nombre, std::chrono::milliseconds limite) const {
  std::unique_lock verrou(verrou_);
  return changement_.wait_for(verrou, limite, [&] { return rendues_ >= nombre; });
}

bool TerminalSimule::AttendreRequetesServies(int nombre, std::chrono::milliseconds limite) const {
  std::unique_lock verrou(verrou_);
  return changement_.wait_for(verrou, limite, [&] { return servies_ >= nombre; });
}

bool TerminalSimule::AttendreRecu(std::size_t nombre, std::chrono::milliseconds limite) const {
  std::unique_lock verrou(verrou_);
  return changement_.wait_for(verrou, limite, [&] { return repondus_ >= nombre; });
}

void TerminalSimule::Jouer() {
  Protocole protocole([this] {
    std::lock_guard verrou(verrou_);
    return familles_;
  }());
  const auto executer = [this](const std::vector<Sortie>& sorties, const Scenario& scenario) {
    for (const Sortie& sortie : sorties) {
      if (fd_ < 0) return;
      if (sortie.apres > 0 &&
          !PatienterJusqua(Horloge::now() + std::chrono::duration_cast<Horloge::duration>(
                                                std::chrono::duration<double>(sortie.apres)))) {
        return;
      }
      Executer(sortie.octets, sortie.ensemble || scenario.rafale, scenario.bauds);
      // A terminal that hangs up closes both sides of its line: the console reads a hang-up.
      if (sortie.raccrocher) {
        garde_.Arreter();
        FermerDescripteur(fd_);
        FermerDescripteur(esclave_);
      }
    }
  };

  while (fd_ >= 0) {
    int periode = -1;
    {
      std::lock_guard verrou(verrou_);
      if (scenario_.periodeSpontane > 0 && !scenario_.spontane.empty()) {
        periode = static_cast<int>(scenario_.periodeSpontane * 1000);
      }
    }
    // A look for a console gone without giving up the line comes before the quiet period.
    const int regard = garde_.DelaiMs(Horloge::now());
    const bool regardAvant = regard >= 0 && (periode < 0 || regard < periode);
    pollfd attentes[3] = {
        {fd_, POLLIN, 0}, {reveil_[0], POLLIN, 0}, {garde_.Descripteur(), POLLIN, 0}};
    const int pret = ::poll(attentes, 3, regardAvant ? regard : periode);
    if (pret < 0 && errno != EINTR) break;
    if (garde_.Examiner((attentes[2].revents & POLLIN) != 0, Horloge::now())) {
      std::lock_guard verrou(verrou_);
      ++rendues_;
      changement_.notify_all();
    }

    Scenario scenario;
    std::deque<Deroulement> spontanes;
    {
      std::lock_guard verrou(verrou_);
      if (arret_) break;
      scenario = scenario_;
      spontanes.swap(spontanes_);
    }
    if (attentes[1].revents & POLLIN) {
      char vide[64];
      while (::read(reveil_[0], vide, sizeof vide) > 0) {
      }
    }
    // A quiet period: the terminal's own traffic again, when the line is idle.
    if (pret == 0 && !regardAvant && protocole.AuRepos())
      spontanes.push_back(TraficSpontane(scenario.spontane));
    for (Deroulement& deroulement : spontanes) {
      executer(protocole.Spontane(std::move(deroulement), scenario), scenario);
    }

    std::string lus;
    bool perdue = false;
    if (attentes[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char morceau[512];
      for (;;) {
        const ssize_t n = ::read(fd_, morceau, sizeof morceau);
        if (n > 0) {
          lus.append(morceau, static_cast<std::size_t>(n));
          if (lus.size() < 64 * 1024) continue;
          break;
        }
        if (n < 0 && errno == EINTR) continue;
        // 0 (a raw line with nothing waiting) or EAGAIN: nothing more for now. A hang-up is
        // told by poll().
        perdue = n < 0 && errno != EAGAIN;
        break;
      }
    }
    // A hang-up with nothing to read would wake us forever: the line is gone.
    if (attentes[0].revents & (POLLHUP | POLLERR | POLLNVAL)) perdue = true;
    if (!lus.empty()) {
      {
        std::lock_guard verrou(verrou_);
        Garder(recu_, lus);
        recusTotal_ += lus.size();
        changement_.notify_all();
      }
      executer(protocole.Recevoir(lus, scenario), scenario);
      std::lock_guard verrou(verrou_);
      servies_ = protocole.RequetesServies();
      repondus_ = recusTotal_;
      changement_.notify_all();
    }
    if (perdue && lus.empty()) break;
  }
  std::lock_guard verrou(verrou_);
  enMarche_ = false;
  changement_.notify_all();
}

bool TerminalSimule::PatienterJusqua(Horloge::time_point instant) {
  // Asleep until the moment comes, or until Arreter wakes it.
  std::unique_lock verrou(verrou_);
  return !changement_.wait_until(verrou, instant, [this] { return arret_; });
}

void TerminalSimule::Executer(const std::string& octets, bool rafale, int bauds) {
  if (octets.empty()) return;
  {
    std::lock_guard verrou(verrou_);
    Garder(emis_, octets);
  }
  if (rafale || bauds <= 0) {
    EcrireSurLigne(fd_, octets);
    return;
  }
  // 10 bits a character on the line (start, 8 data bits, stop).
  const auto parCaractere =
      std::chrono::duration_cast<Horloge::duration>(std::chrono::duration<double>(10.0 / bauds));
  // Each character is there once it has travelled, its own time after the one before.
  const auto depart = Horloge::now();
  for (std::size_t i = 0; i < octets.size(); ++i) {
    if (!PatienterJusqua(depart + parCaractere * static_cast<long>(i + 1))) return;
    EcrireSurLigne(fd_, std::string_view(octets).substr(i, 1));
  }
}

}  // namespace zef30::simulateur
