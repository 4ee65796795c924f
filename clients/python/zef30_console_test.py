"""The client against a stand-in console that misbehaves: every failure is raised, none hangs."""

import stat
import sys
from pathlib import Path

import pytest

from zef30_console import (
    Console,
    ConsoleTerminee,
    DelaiDepasse,
    ErreurCommande,
    ErreurConsole,
    ReponseIllisible,
)

ICI = Path(__file__).resolve().parent


@pytest.fixture
def factice(tmp_path):
    """An executable that runs the stand-in with this Python."""
    programme = tmp_path / "console-factice"
    programme.write_text(f'#!/bin/sh\nexec "{sys.executable}" "{ICI / "console_factice.py"}" "$@"\n')
    programme.chmod(programme.stat().st_mode | stat.S_IXUSR)
    return str(programme)


def envoyer_etat(console):
    return console.etat(timeout=0.5)


def envoyer_requete(console):
    return console.requete("switch", timeout=0.5)


@pytest.mark.parametrize(
    "mode, envoyer, exception, texte, code",
    [
        ("mort", envoyer_etat, ConsoleTerminee, "fichier ou dossier absent", 2),
        ("illisible", envoyer_etat, ReponseIllisible, "Segmentation fault", None),
        ("muet", envoyer_etat, DelaiDepasse, "etat", None),
        ("meurt", envoyer_requete, ConsoleTerminee, "code de sortie 3", 3),
    ],
)
def test_une_panne_est_levee(factice, mode, envoyer, exception, texte, code):
    console = Console(mode, programme=factice, delai_fin=0.5)
    try:
        with pytest.raises(exception) as levee:
            envoyer(console)
        assert texte in str(levee.value)
        if code is not None:
            assert levee.value.code == code
        # Once broken, every command says the same at once.
        if mode != "muet":
            with pytest.raises(exception):
                envoyer_etat(console)
    finally:
        console.fermer()
    assert console.code is not None


def test_une_reponse_d_erreur_donne_sa_raison_et_la_console_continue(factice):
    with Console("normal", programme=factice) as console:
        with pytest.raises(ErreurCommande) as levee:
            console.requete("bogus")
        assert levee.value.raison == "requête inconnue « bogus »"
        assert console.envoyer_brut("{pas du json")["erreur"] == "ligne illisible"
        fiche = console.requete("validite", prix=1250, ecran=False, evenements=True)
        assert fiche["entrees"] == {"prix": 1250, "ecran": False}
        assert [e["texte"] for e in console.evenements()] == ["CODE ?"]
        assert console.dossier() == "7"
    assert console.code == 0


def test_un_arret_pendant_une_ecoute_passe_pendant_que_la_requete_attend(factice):
    with Console("normal", programme=factice) as console:
        arrets = []
        fiche = console.requete("maintenance", pendant=lambda e: arrets.append(console.arret()))
        assert arrets == [{"id": 2, "arret": True}]
        assert fiche["resultat"] == "Fin"
        with console.lancer("maintenance") as en_cours:
            en_cours.attendre("EN ECOUTE", genre="ecoute", timeout=0.5)
            assert console.etat()["ecoute"] is True
            console.arret()
            assert en_cours.resultat()["reussie"]
        with pytest.raises(ErreurCommande, match="aucune écoute en cours"):
            console.arret()


def test_une_console_qui_ne_finit_pas_est_arretee_dans_son_delai(factice):
    with pytest.raises(DelaiDepasse):
        with Console("muet", programme=factice, delai_fin=0.3) as console:
            pass
    assert console.code is not None


def test_un_programme_introuvable_est_nomme(monkeypatch):
    monkeypatch.setenv("ZEF30_CONSOLE", "zef30-console-introuvable")
    with pytest.raises(ErreurConsole, match="« zef30-console-introuvable » introuvable"):
        Console("--simulator")


def test_une_prise_absente_est_dite_dans_son_delai(tmp_path):
    with pytest.raises(DelaiDepasse, match="connexion à .* impossible"):
        Console(socket=tmp_path / "absente", delai_demarrage=0.2)
