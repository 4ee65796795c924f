"""A stand-in for ``zef30-console --pilote`` that misbehaves on demand, for the client's tests.

    console_factice.py --pilote MODE

MODE: ``normal`` (answers as the console does, a little of it), ``mort`` (says why on its error
stream and ends with code 2 before reading anything), ``illisible`` (answers a line that is not
JSON), ``muet`` (reads and never answers, not even ``fin``), ``meurt`` (ends with code 3 on its
first request).
"""

import json
import sys
import time


def ecrire(objet):
    sys.stdout.write(json.dumps(objet, ensure_ascii=False) + "\n")
    sys.stdout.flush()


def lire_commande(ligne):
    try:
        commande = json.loads(ligne)
    except json.JSONDecodeError:
        return None
    return commande if isinstance(commande, dict) else None


def ecouter(identifiant, entree):
    """A listening: one "EN ECOUTE" event, then waits for "arret" (or 5 s) on its input."""
    ecrire({"id": identifiant, "evenement": "ecoute", "texte": "EN ECOUTE 0:00"})
    fin = time.monotonic() + 5.0
    while time.monotonic() < fin:
        commande = lire_commande(entree.readline())
        if commande is None:
            continue
        if commande.get("arret"):
            ecrire({"id": commande.get("id"), "arret": True})
            break
        if commande.get("etat"):
            ecrire({"id": commande.get("id"), "etat": {"ecoute": True}})
    return {"id": identifiant, "requete": "maintenance", "reussie": True, "resultat": "Fin"}


def main():
    mode = sys.argv[2] if len(sys.argv) > 2 else "normal"
    if mode == "mort":
        sys.stderr.write("zef30-console : --port 1=/nulle/part : fichier ou dossier absent\n")
        sys.exit(2)
    entree = sys.stdin
    requetes = 0
    for ligne in entree:
        if mode == "muet":
            continue
        if mode == "illisible":
            sys.stdout.write("Segmentation fault\n")
            sys.stdout.flush()
            continue
        commande = lire_commande(ligne)
        if commande is None:
            ecrire({"id": None, "erreur": "ligne illisible"})
            continue
        identifiant = commande.get("id")
        if "requete" in commande:
            if mode == "meurt":
                sys.exit(3)
            requetes += 1
            nom = commande["requete"]
            if nom == "bogus":
                ecrire({"id": identifiant, "erreur": "requête inconnue « bogus »"})
            elif nom == "maintenance":
                ecrire(ecouter(identifiant, entree))
            else:
                if commande.get("evenements"):
                    ecrire({"id": identifiant, "evenement": "affichage", "texte": "CODE ?"})
                ecrire({"id": identifiant, "requete": nom, "reussie": True,
                        "entrees": commande.get("entrees", {})})
        elif commande.get("etat"):
            ecrire({"id": identifiant, "etat": {"Prix": 100, "NumeroDossier": "7"}})
        elif commande.get("arret"):
            ecrire({"id": identifiant, "erreur": "aucune écoute en cours"})
        elif commande.get("fin"):
            ecrire({"id": identifiant, "fin": True, "requetes": requetes})
            return


if __name__ == "__main__":
    main()
