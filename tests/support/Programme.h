#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace zef30::essai {

// The program `programme` started with `arguments`, its stdout and stderr on pipes; killed at the
// end when it has not ended by itself.
class Programme {
 public:
  Programme(std::vector<std::string> arguments, const std::string& programme) {
    arguments.insert(arguments.begin(), programme);
    std::vector<char*> argv;
    for (auto& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::pipe2(sortie_, O_CLOEXEC) != 0 || ::pipe2(erreurs_, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, sortie_[1], 1);
    posix_spawn_file_actions_adddup2(&actions, erreurs_[1], 2);
    if (posix_spawn(&pid_, programme.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(sortie_[1]);
    ::close(erreurs_[1]);
    pidfd_ = pid_ > 0 ? static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)) : -1;
  }
  ~Programme() {
    if (pid_ > 0 && code_ < 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {sortie_[0], erreurs_[0], pidfd_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  bool Lance() const { return pid_ > 0 && pidfd_ >= 0; }
  void Signaler(int signal) const { ::kill(pid_, signal); }
  // Its reader goes away, as `| head -1` does: its next write on stdout fails.
  void FermerSortie() {
    if (sortie_[0] >= 0) ::close(sortie_[0]);
    sortie_[0] = -1;
  }

  // The exit code once the program has ended, within `limiteMs`; -1 when it has not.
  int AttendreFin(int limiteMs) {
    pollfd attente{pidfd_, POLLIN, 0};
    if (::poll(&attente, 1, limiteMs) != 1) return -1;
    int statut = 0;
    if (::waitpid(pid_, &statut, 0) != pid_) return -1;
    code_ = WIFEXITED(statut) ? WEXITSTATUS(statut) : 128 + WTERMSIG(statut);
    return code_;
  }

  // One line of stdout, within `limiteMs`.
  std::string LigneSortie(int limiteMs) {
    std::string ligne;
    while (ligne.find('\n') == std::string::npos) {
      pollfd attente{sortie_[0], POLLIN, 0};
      if (::poll(&attente, 1, limiteMs) != 1) break;
      char morceau[256];
      const ssize_t n = ::read(sortie_[0], morceau, sizeof morceau);
      if (n <= 0) break;
      ligne.append(morceau, static_cast<std::size_t>(n));
    }
    return ligne.substr(0, ligne.find('\n'));
  }

  // Whether stdout (or stderr) has held `texte` within `limiteMs` (what it read up to there is
  // gone).
  bool AttendreSortie(const std::string& texte, int limiteMs, bool erreurs = false) {
    std::string lu;
    const int fd = erreurs ? erreurs_[0] : sortie_[0];
    while (lu.find(texte) == std::string::npos) {
      pollfd attente{fd, POLLIN, 0};
      char morceau[256];
      if (::poll(&attente, 1, limiteMs) != 1) return false;
      const ssize_t n = ::read(fd, morceau, sizeof morceau);
      if (n <= 0) return false;
      lu.append(morceau, static_cast<std::size_t>(n));
    }
    return true;
  }

  // Everything the program wrote on a stream, once it has ended.
  std::string Tout(bool erreurs) {
    std::string texte;
    char morceau[4096];
    ssize_t n;
    while ((n = ::read(erreurs ? erreurs_[0] : sortie_[0], morceau, sizeof morceau)) > 0) {
      texte.append(morceau, static_cast<std::size_t>(n));
    }
    return texte;
  }

 private:
  pid_t pid_ = -1;
  int pidfd_ = -1;
  int code_ = -1;
  int sortie_[2] = {-1, -1};
  int erreurs_[2] = {-1, -1};
};

}  // namespace zef30::essai
