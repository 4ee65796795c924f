#include "simulator/Rejeu.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

#include "link/PortPosix.h"

namespace zef30::simulateur {

namespace {

// A pause that a broken or hand-edited trace makes negative or absurd is kept within reason.
constexpr double kPauseMax = 3600;

std::string Octet(std::string_view octets, std::size_t i) {
  return i < octets.size() ? EnHexa(octets.substr(i, 1)) + " " + TexteLisible(octets.substr(i, 1))
                           : std::string("rien");
}

}  // namespace

Rejeu::Rejeu(std::vector<EnregistrementTrace> enregistrements, bool pausesComprimees)
    : enregistrements_(std::move(enregistrements)), comprimees_(pausesComprimees) {}

std::vector<Sortie> Rejeu::AEnvoyer() {
  std::vector<Sortie> sorties;
  if (attendu_ > 0 || ecart_) return sorties;
  while (prochain_ < enregistrements_.size()) {
    const EnregistrementTrace& e = enregistrements_[prochain_];
    if (e.sens == Sens::VersTerminal) {
      courant_ = prochain_++;
      attendu_ = e.octets.size();
      if (attendu_ > 0) break;
      continue;
    }
    double pause = 0;
    if (prochain_ > 0) pause = (e.ms - enregistrements_[prochain_ - 1].ms) / 1000.0;
    if (!(pause > 0)) pause = 0;
    pause = std::min(pause, comprimees_ ? kPauseComprimee : kPauseMax);
    sorties.push_back({e.octets, pause, true});
    ++prochain_;
  }
  return sorties;
}

bool Rejeu::Recevoir(std::string_view octets) {
  std::size_t i = 0;
  while (i < octets.size() && !ecart_) {
    if (attendu_ == 0) {
      // Bytes the recording has no place for.
      AEnvoyer();
      if (attendu_ == 0) {
        ecart_ = "la console envoie " + Octet(octets, i) + " après la fin de l’enregistrement";
        break;
      }
      continue;
    }
    const std::string& enregistre = enregistrements_[courant_].octets;
    const std::size_t rang = enregistre.size() - attendu_;
    if (enregistre[rang] != octets[i]) {
      char ms[32];
      std::snprintf(ms, sizeof ms, "%.3f", enregistrements_[courant_].ms);
      ecart_ = "la console diffère à l’enregistrement " + std::to_string(courant_ + 1) + " (" + ms +
               " ms, C>T), octet " + std::to_string(rang + 1) + " : attendu " +
               Octet(enregistre, rang) + ", reçu " + Octet(octets, i) +
               " ; enregistré : " + TexteLisible(enregistre);
      break;
    }
    --attendu_;
    ++i;
  }
  return !ecart_;
}

std::string Rejeu::Position() const {
  const std::size_t n = attendu_ > 0 ? courant_ : std::min(prochain_, enregistrements_.size());
  if (n >= enregistrements_.size()) return "la fin de l’enregistrement";
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.3f", enregistrements_[n].ms);
  return "l’enregistrement " + std::to_string(n + 1) + " (" + ms + " ms)";
}

int JouerRejeu(int fd, Rejeu& rejeu, double silenceMax, const std::atomic<bool>& arret,
               std::ostream& compteRendu, GardeExclusivite* garde) {
  using Horloge = std::chrono::steady_clock;
  const auto apres = [](double secondes) {
    return Horloge::now() +
           std::chrono::duration_cast<Horloge::duration>(std::chrono::duration<double>(secondes));
  };
  std::string recus;
  // Gathers the console's bytes in `recus` until `echeance`, or until the first ones when
  // `premiersOctets`; false when the line is gone or the replay is stopped.
  const auto attendre = [&](Horloge::time_point echeance, bool premiersOctets) {
    for (;;) {
      if (arret) return false;
      const auto reste =
          std::chrono::duration_cast<std::chrono::milliseconds>(echeance - Horloge::now());
      int ms = static_cast<int>(std::clamp<long long>(reste.count() + 1, 0, 50));
      const int regard = garde ? garde->DelaiMs(Horloge::now()) : -1;
      if (regard >= 0) ms = std::min(ms, regard);
      pollfd attentes[2] = {{fd, POLLIN, 0}, {garde ? garde->Descripteur() : -1, POLLIN, 0}};
      const int pret = ::poll(attentes, 2, ms);
      if (garde) garde->Examiner((attentes[1].revents & POLLIN) != 0, Horloge::now());
      const pollfd& attente = attentes[0];
      if (pret > 0 && (attente.revents & POLLIN)) {
        char morceau[512];
        const ssize_t n = ::read(fd, morceau, sizeof morceau);
        if (n > 0) recus.append(morceau, static_cast<std::size_t>(n));
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      } else if (attente.revents != 0) {
        return false;  // hang-up with nothing to read
      }
      if (Horloge::now() >= echeance || (premiersOctets && !recus.empty())) return true;
    }
  };

  for (;;) {
    for (const Sortie& sortie : rejeu.AEnvoyer()) {
      // The console's bytes that come during a pause are checked once it is over.
      if (!attendre(apres(sortie.apres), false)) {
        if (arret) return 2;
        compteRendu << "rejeu : la ligne est perdue à " << rejeu.Position() << std::endl;
        return 1;
      }
      EcrireSurLigne(fd, sortie.octets);
    }
    if (!recus.empty()) {
      const bool pareil = rejeu.Recevoir(recus);
      recus.clear();
      if (!pareil) {
        compteRendu << "rejeu : " << *rejeu.Ecart() << std::endl;
        return 1;
      }
      continue;
    }
    if (rejeu.Fini()) {
      // Room for the console to read the last bytes and to say anything more.
      if (attendre(apres(1.0), true) && !recus.empty()) continue;
      compteRendu << "rejeu : la console a envoyé exactement les octets enregistrés" << std::endl;
      return 0;
    }
    if (!attendre(apres(silenceMax), true) || recus.empty()) {
      if (arret) return 2;
      compteRendu << "rejeu : la console se tait à " << rejeu.Position()
                  << ", où l’enregistrement attend ses octets" << std::endl;
      return 1;
    }
  }
}

}  // namespace zef30::simulateur
