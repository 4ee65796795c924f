#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/OptionsCampagne.h"
#include "headless/CommandeSansFenetre.h"

namespace zef30 {

// What the operator asked for on the command line of zef30-console: what a headless run reads
// of it, and the rest.
struct OptionsConsole : CommandeSansFenetre {
  // Where the console's files go; none given means the program's own folder.
  std::optional<std::string> dossierDonnees;
  // --sim CLÉ=VALEUR and --sim-scenario: the simulated terminal's scenario, as zef30-simulator
  // takes it (the file, then the keys over it).
  std::vector<std::pair<std::string, std::string>> clesSimulateur;
  std::optional<std::string> scenarioSimulateur;
  // --headless: no window; the requests of --run (names separated by commas, a file, or "-" for
  // standard input: see SourceDuScript) are run in order and told on standard output, as text or as
  // JSON (--json).
  bool sansFenetre = false;
  // --decode TRACE, --chart TRACE [--from T] [--to T] -o FICHIER.svg: a recorded trace told
  // frame by frame, or drawn as a sequence chart (T in ms of the trace); nothing else is run.
  std::optional<std::string> traceADecoder;
  std::optional<std::string> traceADessiner;
  std::optional<double> depuisMs;
  std::optional<double> jusquaMs;
  std::optional<std::string> fichierSvg;
  bool aide = false;
  bool version = false;
};

struct LectureOptions {
  std::optional<OptionsConsole> options;
  std::string erreur;  // one line saying what is wrong, when `options` is empty
};

// Reads the arguments that follow the program's name. Nothing is opened or checked on disk.
// `programmeFenetre`: the window program reads them, where --pilote-socket without --pilote or
// --headless serves the socket in the window; elsewhere it is a piloted run without one.
LectureOptions LireOptions(const std::vector<std::string>& arguments,
                           bool programmeFenetre = false);

std::string TexteAide(const std::string& programme);

// A window can be shown only with a display, or with a platform chosen by hand (offscreen...).
// `variable` gives the value of an environment variable, or nullptr when it is not set.
bool AffichageDisponible(const std::function<const char*(const char*)>& variable);

// Where the console's files go when --data-dir is not given: the program's own folder when a
// file can be made there and it is not under /usr; otherwise (a console installed in /usr/bin) the
// user's folder "zef30" under $XDG_DATA_HOME or ~/.local/share, made when missing. The program's
// folder still when neither can be had: each write then says why it failed.
std::string DossierDonneesParDefaut(const std::string& dossierProgramme,
                                    const std::function<const char*(const char*)>& variable);

// The arguments of the process of line `ligne`: those of the campaign, without what only the
// whole campaign does (--lines, --junit, --report, --data-dir, --trace, --json, --verbose), and
// with the line, its folder, its trace file and JSON.
std::vector<std::string> ArgumentsLigne(const std::vector<std::string>& arguments, int ligne,
                                        const std::string& dossier, const std::string& trace);

// The folder that holds the file `cheminProgramme` ("." for a bare name).
std::string DossierDe(const std::string& cheminProgramme);

}  // namespace zef30
