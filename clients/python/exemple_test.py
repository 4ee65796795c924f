"""A pytest session that drives the ZEF30 console on its simulated terminal.

One console, one line opening, for the whole test: a validity, the registration of the dossier
it opened, that dossier's cancellation, a listening stopped by the operator's "Sortie Ecoute".

    ZEF30_CONSOLE=build/app/zef30-console python3 -m pytest clients/python/exemple_test.py

(ctest runs it: ``ctest --test-dir build -R client``.)
"""

import json
from pathlib import Path

import pytest

from zef30_console import Console, ErreurCommande

# The simulated terminal's card holder in a hurry: a validity takes a fraction of a second
# instead of five.
TERMINAL_PRESSE = [
    "--sim", "paiement.pause-carte=0.1",
    "--sim", "paiement.pause-code=0.1",
    "--sim", "paiement.pause-reponse=0.1",
]  # fmt: skip


@pytest.fixture
def console(tmp_path):
    """A piloted console on the simulated terminal, its files in a folder of the test's own."""
    with Console("--simulator", *TERMINAL_PRESSE, "--data-dir", str(tmp_path), timeout=60) as c:
        yield c
    # The context manager sent "fin": the run ended by itself, every request having passed.
    assert c.code == 0, c.erreurs


def valider(console, prix):
    """A validity listened to ("Ecran Hote" ticked), waiting for the terminal's PIN prompt as a
    test that types the code at the terminal would; returns its record and the dossier it
    opened."""
    with console.lancer("validite", prix=prix, ecran=True, attendu=["réussie"]) as validite:
        # What the terminal shows comes as events while the request runs: the moment to act.
        assert "CODE ?" in validite.attendre("CODE ?", genre="affichage")["texte"]
        fiche = validite.resultat()
    # The dossier the validity drew is in its record, as the window's "No Dossier" shows it.
    assert fiche["dossier"] == console.dossier()
    return fiche, fiche["dossier"]


def test_un_dossier_valide_enregistre_puis_annule(console, tmp_path):
    fiche, dossier = valider(console, 1250)
    assert fiche["reussie"], fiche["raison"]
    assert fiche["resultat"] == "Demande de Validité = OK"
    assert "12.50 EUR" in fiche["ticket"]
    assert fiche["conditions"][0]["tenue"]
    assert dossier.isdigit()

    # A broken line in the middle: an error answer, and the console goes on.
    reponse = console.envoyer_brut('{"id": "casse", "requete": "enregistrement", "entrees": {')
    assert "erreur" in reponse
    with pytest.raises(ErreurCommande, match="bogus"):
        console.requete("bogus")

    enregistrement = console.requete(
        "enregistrement", prix=1250, dossier=dossier, attendu=["réussie"]
    )
    assert enregistrement["reussie"], enregistrement["raison"]
    assert enregistrement["resultat"] == "Demande d'enregistrement = OK"
    assert "MONTANT TRANSACTION" in enregistrement["ticket"]

    # A registered dossier is closed: the terminal refuses its cancellation, which is what this
    # step expects (its verdict is the expectation's, not the request's).
    annulation = console.requete(
        "annulation",
        dossier=dossier,
        attendu=["échec", 'état contient "dossier inconnu"'],
    )
    assert annulation["reussie"]
    assert all(c["tenue"] for c in annulation["conditions"])

    # A dossier still open is cancelled.
    _, ouvert = valider(console, 800)
    assert ouvert != dossier
    annulation = console.requete("annulation", dossier=ouvert, attendu="réussie")
    assert annulation["reussie"], annulation["raison"]

    # Each record went to the campaign journal, for --report-from.
    resume = console.fin()
    assert resume["requetes"] == resume["reussies"] == 5
    journal = Path(resume["journal"])
    assert journal.parent == tmp_path
    requetes = [json.loads(ligne)["requete"] for ligne in journal.read_text().splitlines()]
    assert requetes == ["validite", "enregistrement", "annulation", "validite", "annulation"]


def test_une_ecoute_s_arrete_sur_sortie_ecoute(console):
    with console.lancer("maintenance") as ecoute:
        ecoute.attendre("EN ECOUTE", genre="ecoute")
        assert console.etat()["ecoute"] is True
        assert console.arret()["arret"] is True
        fiche = ecoute.resultat()
    # The record comes once the listening has ended, after its events.
    assert fiche["requete"] == "maintenance"
    assert fiche["reussie"], fiche["raison"]
    assert console.etat()["ecoute"] is False
    with pytest.raises(ErreurCommande, match="aucune écoute en cours"):
        console.arret()
