"""Drive the ZEF30 console from a test framework, one JSON line at a time.

The console runs piloted (``zef30-console --pilote``): it holds its state and its line between
commands, reads one JSON object a line and answers each on its own line. This module starts it
(or connects to one served on a Unix socket with ``--pilote-socket``), sends the commands with
fresh ids and hands back the answers as dicts. Standard library only.

    from zef30_console import Console

    with Console("--simulator", "--data-dir", dossier) as console:
        fiche = console.requete("validite", prix=1250, attendu=["réussie"])
        assert fiche["reussie"]

Waiting for something while a request runs (a PIN prompt, a listening) and acting on it:

    with console.lancer("maintenance") as en_cours:
        en_cours.attendre("EN ECOUTE")      # the first "EN ECOUTE m:s"
        console.arret()                      # "Sortie Ecoute"
        fiche = en_cours.resultat()

or with a callback run for each event, in the caller's thread (it may send ``arret()`` too):

    def taper_le_code(evenement):
        if "CODE ?" in evenement["texte"]:
            banc.taper("1234")               # the lab's own way to press the terminal's keys

    fiche = console.requete("validite", prix=1250, pendant=taper_le_code)

Every wait has a bound: a console that dies, a connection that closes or a line that is not
JSON is raised at once (``ConsoleTerminee``, ``ReponseIllisible``), a console that keeps
silent past the bound raises ``DelaiDepasse``. An error answer (``{"erreur": …}``) raises
``ErreurCommande`` with the console's reason. The messages to users are in French, as the
console's own.
"""

from __future__ import annotations

import collections
import json
import os
import shutil
import socket as socket_module
import subprocess
import threading
import time
from typing import Any, Callable, Iterator

__all__ = [
    "Console",
    "RequeteEnCours",
    "ErreurConsole",
    "ErreurCommande",
    "ConsoleTerminee",
    "ReponseIllisible",
    "DelaiDepasse",
]

PROGRAMME = "zef30-console"
VARIABLE_PROGRAMME = "ZEF30_CONSOLE"

# A request of the simulated terminal takes a few seconds; a listening may run to its limit of
# five minutes: the default bound of one request covers that, the others answer at once.
DELAI_REQUETE = 360.0
DELAI_REPONSE = 10.0
DELAI_FIN = 10.0
# Answers longer than this are not the console's (a listening keeps 1 MiB at most).
LONGUEUR_MAXIMALE = 64 * 1024 * 1024
# Lines of the console's error stream kept to say why it ended.
LIGNES_ERREUR = 40


class ErreurConsole(Exception):
    """Anything that went wrong between the client and the console."""


class ErreurCommande(ErreurConsole):
    """The console answered a command with an error: ``raison`` is its French reason."""

    def __init__(self, raison: str, reponse: dict[str, Any]):
        super().__init__(raison)
        self.raison = raison
        self.reponse = reponse
        self.id = reponse.get("id")


class ConsoleTerminee(ErreurConsole):
    """The console ended (or closed the connection) while an answer was awaited.

    ``code`` is its exit code when the client started it and it has ended, ``erreurs`` the last
    lines of its error stream.
    """

    def __init__(self, message: str, code: int | None = None, erreurs: str = ""):
        super().__init__(message + (f"\n{erreurs}" if erreurs else ""))
        self.code = code
        self.erreurs = erreurs


class ReponseIllisible(ErreurConsole):
    """The console wrote a line that is not a JSON object: nothing after it can be trusted."""

    def __init__(self, message: str, ligne: bytes):
        super().__init__(message)
        self.ligne = ligne


class DelaiDepasse(ErreurConsole, TimeoutError):
    """No answer within the bound."""


def _decrire_ligne(ligne: bytes) -> str:
    texte = ligne.decode("utf-8", "replace").rstrip("\r\n")
    return texte if len(texte) <= 200 else texte[:200] + "…"


class _Attente:
    """What one command waits for: its final answer and, for a request, its events."""

    def __init__(self, identifiant: int, requete: bool):
        self.id = identifiant
        self.requete = requete
        self.evenements: list[dict[str, Any]] = []
        self.reponse: dict[str, Any] | None = None


class RequeteEnCours:
    """A request sent and not yet answered, from ``Console.lancer``.

    ``evenements()`` iterates its events as they come, ``attendre(texte)`` waits for one,
    ``resultat()`` waits for its record. Usable as a context manager: leaving the block waits
    for the record (without raising), so that the console is free for the next command.
    """

    def __init__(self, console: "Console", attente: _Attente, delai: float):
        self._console = console
        self._attente = attente
        self._delai = delai
        self._lus = 0

    @property
    def id(self) -> int:
        return self._attente.id

    @property
    def terminee(self) -> bool:
        with self._console._condition:
            return self._attente.reponse is not None

    def evenements(self, timeout: float | None = None) -> Iterator[dict[str, Any]]:
        """Each event of the request (those already come first), until its record comes.

        Each is a dict such as ``{"id": 3, "evenement": "affichage", "texte": "CODE ?"}``
        (``affichage``: the terminal's display lines; ``ecoute``: "EN ECOUTE m:s"; ``etat``:
        the status line). ``timeout`` bounds the wait for each next one.
        """
        rang = 0
        delai = self._delai if timeout is None else timeout
        while True:
            evenement = self._console._attendre_evenement(self._attente, rang, delai)
            if evenement is None:
                return
            rang += 1
            yield evenement

    def attendre(
        self,
        texte: str | Callable[[dict[str, Any]], bool],
        genre: str | None = None,
        timeout: float | None = None,
    ) -> dict[str, Any]:
        """The first event not yet waited for whose text holds ``texte`` (or that satisfies it,
        when it is a function), of kind ``genre`` if given.

        Raises ``DelaiDepasse`` past ``timeout`` (the request's bound by default) and
        ``ErreurConsole`` when the request ends without such an event.
        """
        delai = self._delai if timeout is None else timeout
        echeance = time.monotonic() + delai
        while True:
            reste = max(0.0, echeance - time.monotonic())
            try:
                evenement = self._console._attendre_evenement(self._attente, self._lus, reste)
            except DelaiDepasse:
                raise DelaiDepasse(
                    f"aucun événement « {texte} » en {delai:g} s (requête {self.id})"
                ) from None
            if evenement is None:
                raise ErreurConsole(
                    f"la requête {self.id} s’est terminée sans l’événement « {texte} »"
                )
            self._lus += 1
            if genre is not None and evenement.get("evenement") != genre:
                continue
            if callable(texte):
                if texte(evenement):
                    return evenement
            elif texte in str(evenement.get("texte", "")):
                return evenement

    def resultat(self, timeout: float | None = None) -> dict[str, Any]:
        """The request's record (``ErreurCommande`` when the console refused it)."""
        delai = self._delai if timeout is None else timeout
        reponse = self._console._attendre_reponse(self._attente, delai, f"la requête {self.id}")
        return self._console._verifier(reponse)

    def __enter__(self) -> "RequeteEnCours":
        return self

    def __exit__(self, *exception: object) -> None:
        try:
            self._console._attendre_reponse(self._attente, self._delai, f"la requête {self.id}")
        except ErreurConsole:
            if exception[0] is None:
                raise


class Console:
    """One piloted console: started by the client, or reached on its Unix socket.

    ``Console(*args)`` starts ``zef30-console --pilote *args``; the program is ``programme``
    when given, otherwise the environment variable ``ZEF30_CONSOLE``, otherwise
    ``zef30-console`` on the PATH. With ``socket=PATH`` and no arguments nor programme, the
    client connects to a console already serving that socket; with arguments (or a
    programme) too, it starts the program with ``--pilote-socket PATH`` and connects once the
    socket answers (e.g. ``programme="zef30-console-fenetre"``: a window a person watches).

    ``timeout`` is the default bound of a request, ``delai_demarrage`` that of the socket's
    connection, ``delai_fin`` that of the end (the answer to ``fin``, then the process's own
    end before it is ended); ``stderr`` a file the console's error stream goes to (by default
    its last lines are kept for the exceptions, see ``erreurs``).
    """

    def __init__(
        self,
        *args: str,
        programme: str | None = None,
        socket: str | os.PathLike[str] | None = None,
        timeout: float = DELAI_REQUETE,
        delai_demarrage: float = DELAI_REPONSE,
        delai_fin: float = DELAI_FIN,
        env: dict[str, str] | None = None,
        cwd: str | os.PathLike[str] | None = None,
        stderr: Any = None,
    ):
        self.timeout = timeout
        self.delai_fin = delai_fin
        self.processus: subprocess.Popen[bytes] | None = None
        self._prise: socket_module.socket | None = None
        self._condition = threading.Condition()
        self._ecriture = threading.Lock()
        self._attentes: dict[int, _Attente] = {}
        self._sans_id: collections.deque[dict[str, Any]] = collections.deque()
        self._prochain_id = 1
        self._panne: ErreurConsole | None = None
        self._ferme = False
        self._derniere: _Attente | None = None
        self._erreurs: collections.deque[str] = collections.deque(maxlen=LIGNES_ERREUR)
        self._lecteurs: list[threading.Thread] = []

        demarrer = bool(args) or programme is not None or socket is None
        if demarrer:
            chemin = self._trouver_programme(programme)
            commande = [chemin]
            commande += ["--pilote-socket", os.fspath(socket)] if socket else ["--pilote"]
            commande += list(args)
            try:
                self.processus = subprocess.Popen(
                    commande,
                    stdin=subprocess.PIPE if socket is None else subprocess.DEVNULL,
                    stdout=subprocess.PIPE if socket is None else subprocess.DEVNULL,
                    stderr=subprocess.PIPE if stderr is None else stderr,
                    env=env,
                    cwd=cwd,
                )
            except OSError as erreur:
                raise ErreurConsole(f"{chemin} ne démarre pas : {erreur.strerror}") from None
            if stderr is None:
                self._lancer(self._lire_erreurs, self.processus.stderr)
        try:
            if socket is None:
                assert self.processus is not None
                entree = self.processus.stdout
                self._ecrire_octets = self._ecrire_tube
            else:
                self._prise = self._connecter(os.fspath(socket), delai_demarrage)
                entree = self._prise.makefile("rb")
                self._ecrire_octets = self._ecrire_prise
            self._lancer(self._lire_reponses, entree)
        except BaseException:
            self._abandonner()
            raise

    # ----- commands -----

    def requete(
        self,
        nom: str,
        *,
        attendu: list[str] | str | None = None,
        evenements: bool = False,
        titre: str | None = None,
        timeout: float | None = None,
        pendant: Callable[[dict[str, Any]], None] | None = None,
        entrees: dict[str, Any] | None = None,
        **autres_entrees: Any,
    ) -> dict[str, Any]:
        """Runs one request, as a script line does, and returns its record.

        ``nom`` is the script's name (``"validite"``, ``"enregistrement"``, ``"maintenance"``…);
        the keyword arguments are its inputs (``prix=1250``, ``dossier=12``, ``ecran=False``,
        ``mode="vente"``, ``duree=30``), ``attendu`` the plan's conditions it is judged by (its
        verdict is the record's ``"reussie"``, each condition in ``"conditions"``). With
        ``evenements=True`` (or a ``pendant`` callback, called with each event in this thread
        while the request runs, from which ``arret()`` may be called) its events are kept:
        ``evenements()`` gives them back after. The record is the console's JSON record as a
        dict (``resultat``, ``lignes``, ``textes``, ``ticket``, ``etat``, ``carte``, and
        ``dossier``: the dossier number the console holds after it, the one a validity drew).
        """
        en_cours = self.lancer(
            nom,
            attendu=attendu,
            evenements=evenements or pendant is not None,
            titre=titre,
            timeout=timeout,
            entrees=entrees,
            **autres_entrees,
        )
        if pendant is not None:
            for evenement in en_cours.evenements():
                pendant(evenement)
        return en_cours.resultat()

    def lancer(
        self,
        nom: str,
        *,
        attendu: list[str] | str | None = None,
        evenements: bool = True,
        titre: str | None = None,
        timeout: float | None = None,
        entrees: dict[str, Any] | None = None,
        **autres_entrees: Any,
    ) -> RequeteEnCours:
        """Sends one request and returns at once: a ``RequeteEnCours`` to follow it.

        The same arguments as ``requete``; its events are asked for by default. Meanwhile
        ``etat()`` and ``arret()`` may be sent, from this thread or another.
        """
        commande: dict[str, Any] = {"requete": nom}
        toutes = dict(entrees or {})
        toutes.update(autres_entrees)
        if toutes:
            commande["entrees"] = toutes
        if attendu is not None:
            commande["attendu"] = [attendu] if isinstance(attendu, str) else list(attendu)
        if evenements:
            commande["evenements"] = True
        if titre is not None:
            commande["titre"] = titre
        attente = self._envoyer(commande, requete=True)
        return RequeteEnCours(self, attente, self.timeout if timeout is None else timeout)

    def etat(self, timeout: float = DELAI_REPONSE) -> dict[str, Any]:
        """The console state people see: ``Prix`` (centimes), ``NumeroDossier``, the card,
        ``port``, ``ligne``, and ``ecoute`` (True while a listening runs)."""
        return self._commande({"etat": True}, timeout)["etat"]

    def dossier(self, timeout: float = DELAI_REPONSE) -> str:
        """The dossier number the console holds (its "No Dossier"), as the window shows it."""
        return str(self.etat(timeout).get("NumeroDossier", ""))

    def arret(self, timeout: float = DELAI_REPONSE) -> dict[str, Any]:
        """Presses "Sortie Ecoute" during a listening; usable while a request waits, from any
        thread. ``ErreurCommande`` ("aucune écoute en cours") when none runs."""
        return self._commande({"arret": True}, timeout)

    def fin(self, timeout: float | None = None) -> dict[str, Any]:
        """Ends the piloted run: its answer (``requetes``, ``reussies``, ``journal``), then the
        process's end is awaited (bounded by ``timeout``, ``delai_fin`` by default) when the
        client started it."""
        delai = self.delai_fin if timeout is None else timeout
        reponse = self._commande({"fin": True}, delai)
        self.fermer(delai)
        return reponse

    def envoyer_brut(self, ligne: str | bytes, timeout: float = DELAI_REPONSE) -> dict[str, Any]:
        """Sends ``ligne`` as it is (a newline is added) and returns the next answer that is not
        for a command of this client, an error answer included, without raising it: what a
        test of the protocol itself needs (a malformed line, an id of its own). The client's own
        ids are integers from 1: give the line a string id, or none."""
        donnees = ligne.encode("utf-8") if isinstance(ligne, str) else ligne
        self._ecrire(donnees.rstrip(b"\n") + b"\n")
        echeance = time.monotonic() + timeout
        with self._condition:
            while not self._sans_id:
                self._attendre_condition(echeance, "la réponse à une ligne brute")
            return self._sans_id.popleft()

    def evenements(self) -> Iterator[dict[str, Any]]:
        """The events of the last request sent with events (still running or ended)."""
        if self._derniere is None:
            return iter(())
        return RequeteEnCours(self, self._derniere, self.timeout).evenements()

    @property
    def erreurs(self) -> str:
        """The last lines the console wrote to its error stream."""
        with self._condition:
            return "\n".join(self._erreurs)

    @property
    def code(self) -> int | None:
        """The console's exit code once it ended (None while it runs, or not started here)."""
        return None if self.processus is None else self.processus.poll()

    # ----- the end -----

    def fermer(self, delai: float | None = None) -> int | None:
        """Ends the connection; a process the client started is given ``delai`` (``delai_fin``
        by default) to end after its input closes, then SIGTERM, then SIGKILL. Returns its exit
        code."""
        if delai is None:
            delai = self.delai_fin
        with self._condition:
            self._ferme = True
            self._condition.notify_all()
        if self._prise is not None:
            try:
                self._prise.shutdown(socket_module.SHUT_RDWR)
            except OSError:
                pass
            self._prise.close()
        code = None
        if self.processus is not None:
            if self.processus.stdin is not None:
                try:
                    self.processus.stdin.close()
                except OSError:
                    pass
            code = self._attendre_processus(delai)
        for lecteur in self._lecteurs:
            lecteur.join(timeout=1.0)
        return code

    def __enter__(self) -> "Console":
        return self

    def __exit__(self, *exception: object) -> None:
        """Sends ``fin`` (after ``arret`` when a request still runs), then ends the process
        with a bound; never hangs, never hides the block's own exception."""
        try:
            if self._panne is None and not self._ferme:
                if self._requete_en_cours() is not None:
                    try:
                        self.arret(timeout=2.0)
                    except ErreurConsole:
                        pass
                    self._attendre_requetes(self.delai_fin)
                try:
                    self._commande({"fin": True}, self.delai_fin)
                except ErreurConsole:
                    if exception[0] is None and self._panne is None:
                        raise
        finally:
            self.fermer()

    # ----- inside -----

    @staticmethod
    def _trouver_programme(programme: str | None) -> str:
        nom = programme or os.environ.get(VARIABLE_PROGRAMME) or PROGRAMME
        chemin = shutil.which(nom) if os.sep not in nom else nom
        if chemin is None or not os.access(chemin, os.X_OK):
            raise ErreurConsole(
                f"programme « {nom} » introuvable (donnez programme=, la variable "
                f"{VARIABLE_PROGRAMME} ou mettez {PROGRAMME} dans le PATH)"
            )
        return chemin

    def _connecter(self, chemin: str, delai: float) -> socket_module.socket:
        # A console started here binds its socket a moment after it starts: try again until it
        # answers, unless it has ended meanwhile.
        echeance = time.monotonic() + delai
        while True:
            prise = socket_module.socket(socket_module.AF_UNIX, socket_module.SOCK_STREAM)
            try:
                prise.connect(chemin)
                return prise
            except OSError as erreur:
                prise.close()
                if self.processus is None and delai <= 0:
                    raise ErreurConsole(f"connexion à {chemin} impossible : {erreur.strerror}")
                if self.processus is not None and self.processus.poll() is not None:
                    raise self._terminee(f"la console s’est terminée avant d’ouvrir {chemin}")
                if time.monotonic() >= echeance:
                    raise DelaiDepasse(
                        f"connexion à {chemin} impossible en {delai:g} s : {erreur.strerror}"
                    ) from None
                time.sleep(0.05)

    def _lancer(self, cible: Callable[..., None], *arguments: Any) -> None:
        lecteur = threading.Thread(target=cible, args=arguments, daemon=True)
        lecteur.start()
        self._lecteurs.append(lecteur)

    def _lire_erreurs(self, flux: Any) -> None:
        for ligne in iter(flux.readline, b""):
            with self._condition:
                self._erreurs.append(ligne.decode("utf-8", "replace").rstrip("\r\n"))

    def _lire_reponses(self, flux: Any) -> None:
        try:
            while True:
                ligne = flux.readline(LONGUEUR_MAXIMALE)
                if not ligne:
                    break
                if not ligne.endswith(b"\n") and len(ligne) >= LONGUEUR_MAXIMALE:
                    self._tomber(ReponseIllisible("réponse de la console trop longue", ligne[:200]))
                    return
                try:
                    reponse = json.loads(ligne.decode("utf-8"))
                except (UnicodeDecodeError, json.JSONDecodeError) as erreur:
                    self._tomber(
                        ReponseIllisible(
                            f"la console a écrit une ligne qui n’est pas du JSON ({erreur}) : "
                            f"« {_decrire_ligne(ligne)} »",
                            ligne,
                        )
                    )
                    return
                if not isinstance(reponse, dict):
                    self._tomber(
                        ReponseIllisible(
                            f"la console a écrit autre chose qu’un objet JSON : "
                            f"« {_decrire_ligne(ligne)} »",
                            ligne,
                        )
                    )
                    return
                self._distribuer(reponse)
        except (OSError, ValueError):
            pass
        if self.processus is not None:
            # Its error stream says why: give it a moment to be read to its end.
            try:
                self.processus.wait(timeout=1.0)
            except subprocess.TimeoutExpired:
                pass
        self._tomber(
            self._terminee(
                "la console a fermé sa sortie"
                if self._prise is None
                else "la console a fermé la connexion"
            )
        )

    def _terminee(self, message: str) -> ConsoleTerminee:
        code = self.code
        with self._condition:
            sans_id = [r.get("erreur") for r in self._sans_id if "erreur" in r]
            erreurs = "\n".join(self._erreurs)
        if sans_id:
            message += " (" + " ; ".join(str(e) for e in sans_id) + ")"
        if code is not None:
            message += f", code de sortie {code}"
        return ConsoleTerminee(message, code, erreurs)

    def _distribuer(self, reponse: dict[str, Any]) -> None:
        identifiant = reponse.get("id")
        with self._condition:
            attente = (
                self._attentes.get(identifiant)
                if isinstance(identifiant, int) and not isinstance(identifiant, bool)
                else None
            )
            if attente is None:
                self._sans_id.append(reponse)
            elif attente.requete and "evenement" in reponse:
                attente.evenements.append(reponse)
            else:
                attente.reponse = reponse
                del self._attentes[identifiant]
            self._condition.notify_all()

    def _tomber(self, panne: ErreurConsole) -> None:
        with self._condition:
            if self._panne is None:
                self._panne = panne
            self._condition.notify_all()

    def _attendre_condition(self, echeance: float, quoi: str) -> None:
        """One wait on the condition (held), raising what ended the console or the bound."""
        if self._panne is not None:
            raise self._panne
        if self._ferme:
            raise ConsoleTerminee("la console est fermée")
        reste = echeance - time.monotonic()
        if reste <= 0:
            raise DelaiDepasse(f"pas de réponse de la console pour {quoi}")
        self._condition.wait(min(reste, 0.5))

    def _envoyer(self, commande: dict[str, Any], requete: bool = False) -> _Attente:
        with self._condition:
            if self._panne is not None:
                raise self._panne
            identifiant = self._prochain_id
            self._prochain_id += 1
            attente = _Attente(identifiant, requete)
            self._attentes[identifiant] = attente
            if requete and commande.get("evenements"):
                self._derniere = attente
        ligne = json.dumps({"id": identifiant, **commande}, ensure_ascii=False)
        try:
            self._ecrire(ligne.encode("utf-8") + b"\n")
        except BaseException:
            with self._condition:
                self._attentes.pop(identifiant, None)
            raise
        return attente

    def _ecrire(self, donnees: bytes) -> None:
        if self._panne is not None:
            raise self._panne
        try:
            with self._ecriture:
                self._ecrire_octets(donnees)
        except (OSError, ValueError):
            raise self._terminee("la console ne lit plus ses commandes") from None

    def _ecrire_tube(self, donnees: bytes) -> None:
        assert self.processus is not None and self.processus.stdin is not None
        self.processus.stdin.write(donnees)
        self.processus.stdin.flush()

    def _ecrire_prise(self, donnees: bytes) -> None:
        assert self._prise is not None
        self._prise.sendall(donnees)

    def _commande(self, commande: dict[str, Any], timeout: float) -> dict[str, Any]:
        attente = self._envoyer(commande)
        return self._verifier(self._attendre_reponse(attente, timeout, next(iter(commande))))

    def _attendre_reponse(self, attente: _Attente, delai: float, quoi: str) -> dict[str, Any]:
        echeance = time.monotonic() + delai
        with self._condition:
            while attente.reponse is None:
                self._attendre_condition(echeance, quoi)
            return attente.reponse

    def _attendre_evenement(
        self, attente: _Attente, rang: int, delai: float
    ) -> dict[str, Any] | None:
        echeance = time.monotonic() + delai
        with self._condition:
            while len(attente.evenements) <= rang and attente.reponse is None:
                self._attendre_condition(echeance, f"un événement de la requête {attente.id}")
            if rang < len(attente.evenements):
                return attente.evenements[rang]
            return None

    @staticmethod
    def _verifier(reponse: dict[str, Any]) -> dict[str, Any]:
        if "erreur" in reponse:
            raise ErreurCommande(str(reponse["erreur"]), reponse)
        return reponse

    def _requete_en_cours(self) -> _Attente | None:
        with self._condition:
            return next((a for a in self._attentes.values() if a.requete), None)

    def _attendre_requetes(self, delai: float) -> None:
        echeance = time.monotonic() + delai
        with self._condition:
            while any(a.requete for a in self._attentes.values()):
                if self._panne is not None or time.monotonic() >= echeance:
                    return
                self._condition.wait(min(0.5, max(0.0, echeance - time.monotonic())))

    def _attendre_processus(self, delai: float) -> int | None:
        assert self.processus is not None
        for signal in (None, self.processus.terminate, self.processus.kill):
            if signal is not None:
                try:
                    signal()
                except OSError:
                    pass
            try:
                return self.processus.wait(timeout=delai if signal is None else 2.0)
            except subprocess.TimeoutExpired:
                continue
        return self.processus.poll()

    def _abandonner(self) -> None:
        if self.processus is not None and self.processus.poll() is None:
            self.processus.kill()
            try:
                self.processus.wait(timeout=2.0)
            except subprocess.TimeoutExpired:
                pass
