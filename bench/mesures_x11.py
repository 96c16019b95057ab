#!/usr/bin/env python3
"""Measures Monvalor as a user meets it, on a private Xvfb: start-up time to the first window,
copy-to-taken latency over 20 copies, CPU over 10 s with an empty clipboard, a 10 MB text and
an image, typing while a frozen program owns the clipboard, the end of a second start,
resident memory, and the latency again while the update check downloads 50 MB from a loopback
server (tests/reseau/serveur.py, with a certificate made for the run). Each figure is printed beside a reference measured in the same run and the
project's target; given a second build (for instance the current main), it is measured in the
same run too, in its own column.

usage: bench/mesures_x11.py PATH_TO_MONVALOR PATH_TO_PROPRIETAIRE_MUET [OTHER_MONVALOR]
(proprietaire_muet is built with the tests: build/tests/proprietaire_muet)
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def attendre(condition, limite=10.0, pas=0.002):
    fin = time.monotonic() + limite
    while time.monotonic() < fin:
        if condition():
            return True
        time.sleep(pas)
    return False


def fenetres(motif):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", motif],
                       capture_output=True, text=True)
    return r.stdout.split() if r.returncode == 0 else []


def fermer_apropos():
    if not attendre(lambda: fenetres("^À propos de Monvalor$")):
        raise SystemExit("the About window did not appear")
    apropos = fenetres("^À propos de Monvalor$")[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", apropos], check=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", "Return"], check=True)
    if not attendre(lambda: fenetres("^Monvalor$")):
        raise SystemExit("the converter window did not appear")


def lignes(journal):
    try:
        with open(journal, encoding="utf-8") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def copier(*arguments, entree=None):
    subprocess.run(["xclip", "-selection", "clipboard", "-i", *arguments], input=entree,
                   check=True)


def lire_presse_papier():
    return subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True).stdout


def temps_cpu(pid):
    # Nanoseconds on the CPU, finer than the clock ticks of /proc/PID/stat.
    with open(f"/proc/{pid}/schedstat") as f:
        return int(f.read().split()[0]) / 1e9


def rss_mio(pid):
    with open(f"/proc/{pid}/status") as f:
        for ligne in f:
            if ligne.startswith("VmRSS:"):
                return int(ligne.split()[1]) / 1024
    return float("nan")


def cpu_sur(pid, secondes=10):
    avant, t0 = temps_cpu(pid), time.monotonic()
    time.sleep(secondes)
    return (temps_cpu(pid) - avant) / (time.monotonic() - t0) * 100


class Essai:
    """One build of Monvalor on the shared display, with a journal of its own."""

    def __init__(self, programme, muet, travail, nom):
        self.programme, self.muet = programme, muet
        self.dossier = os.path.join(travail, nom)
        os.makedirs(self.dossier)
        self.journal = os.path.join(self.dossier, "journal")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.dossier, MONVALOR_JOURNAL=self.journal,
                        XDG_CONFIG_HOME=f"{self.dossier}/config",
                        XDG_DATA_HOME=f"{self.dossier}/data")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.prog = None

    def lancer(self):
        return subprocess.Popen([self.programme], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=open(f"{self.dossier}/erreurs", "a"))

    def arreter(self):
        if self.prog:
            self.prog.kill()
            self.prog.wait()
            self.prog = None
        attendre(lambda: not fenetres("Monvalor$"), limite=3)

    def demarrages(self):
        debuts = []
        for essai in range(5):
            t = time.monotonic()
            self.prog = self.lancer()
            if not attendre(lambda: bool(fenetres("Monvalor$"))):
                raise SystemExit("the window did not appear (start %d)" % essai)
            debuts.append(time.monotonic() - t)
            if essai < 4:
                self.arreter()
        fermer_apropos()
        return statistics.median(debuts) * 1000

    def latences(self):
        latences = []
        for i in range(20):
            avant = len(lignes(self.journal))
            time.sleep(0.137 * (i % 4))  # copies land anywhere in the 500 ms tick
            t0 = time.monotonic_ns()
            copier(entree=b"%d.%02d" % (10 + i, i))
            if not attendre(lambda: len(lignes(self.journal)) > avant, limite=3):
                raise SystemExit("copy %d was not taken" % i)
            latences.append(int(lignes(self.journal)[-1].split("\t")[0]) - t0 / 1e6)
        return latences

    def cpu(self, gros, image):
        attendre(lambda: lire_presse_papier() == b"", limite=2)
        time.sleep(1)
        # With the keyboard in Monvalor, its text box's caret blinks and is drawn twice a
        # second; the other figures are taken as a user meets them, the keyboard elsewhere.
        figures = {"focus": cpu_sur(self.prog.pid, 5)}
        racine = subprocess.run(["xwininfo", "-root"], capture_output=True, text=True).stdout
        racine = next(m.split()[3] for m in racine.splitlines() if "Window id" in m)
        subprocess.run(["xdotool", "windowfocus", racine], check=True)
        time.sleep(1)
        figures["vide"] = cpu_sur(self.prog.pid)
        copier(gros)
        time.sleep(1)
        figures["gros"] = cpu_sur(self.prog.pid)
        copier("-t", "image/png", image)
        time.sleep(1)
        figures["image"] = cpu_sur(self.prog.pid)
        figures["rss"] = rss_mio(self.prog.pid)
        return figures

    def frappe_sous_muet(self):
        """Milliseconds from a key typed in Montant libre to its amount taken, while a frozen
        program owns the clipboard; None when it is not taken within 6 s."""
        muet = subprocess.Popen([self.muet], stdout=subprocess.PIPE)
        try:
            muet.stdout.readline()
            time.sleep(1.2)
            w = fenetres("^Monvalor$")[0]
            subprocess.run(["xdotool", "mousemove", "--window", w, "100", "135", "click", "1"],
                           check=True)
            time.sleep(0.3)
            resultats = []
            for chiffre in "123":
                avant = len(lignes(self.journal))
                t0 = time.monotonic_ns()
                subprocess.run(["xdotool", "type", chiffre], check=True)
                if not attendre(lambda: len(lignes(self.journal)) > avant, limite=6):
                    return None
                resultats.append(int(lignes(self.journal)[-1].split("\t")[0]) - t0 / 1e6)
                time.sleep(0.3)
            return statistics.median(resultats)
        finally:
            muet.kill()
            muet.wait()

    def second_demarrage(self):
        """Milliseconds from the running copy taking "0" to the end of the second copy, and
        from the second start to its end."""
        avant = len(lignes(self.journal))
        t0 = time.monotonic()
        second = self.lancer()
        second.wait(timeout=10)
        fin = time.monotonic()
        if not attendre(lambda: len(lignes(self.journal)) > avant, limite=3):
            raise SystemExit("the running copy did not take the second start's 0")
        pris = int(lignes(self.journal)[-1].split("\t")[0]) / 1000
        return (fin - pris) * 1000, (fin - t0) * 1000

    def pendant_telechargement(self, site):
        """Copy-to-taken latencies while "Mise à jour" downloads an updater of 50 MB that the
        server sends in bursts over about 15 s; None when no download window appears (a build
        without the update check)."""
        self.env.update(site)
        self.prog = self.lancer()
        try:
            if not attendre(lambda: fenetres("^À propos de Monvalor$")):
                raise SystemExit("the About window did not appear")
            apropos = fenetres("^À propos de Monvalor$")[0]
            subprocess.run(["xdotool", "mousemove", "--window", apropos, "40", "88", "click",
                            "1"], check=True)
            # While the About window is open, the window called "Monvalor" is the question.
            if not attendre(lambda: fenetres("^Monvalor$"), limite=10):
                return None
            subprocess.run(["xdotool", "windowfocus", "--sync", fenetres("^Monvalor$")[0]],
                           check=True)
            subprocess.run(["xdotool", "key", "--clearmodifiers", "Return"], check=True)
            if not attendre(lambda: fenetres("^Téléchargement$"), limite=10):
                return None
            return self.latences()
        finally:
            self.arreter()

    def mesurer(self, gros, image, site):
        f = {"demarrage": self.demarrages()}
        f["latences"] = self.latences()
        f.update(self.cpu(gros, image))
        f["muet"] = self.frappe_sous_muet()
        f["second"], f["second_total"] = self.second_demarrage()
        self.arreter()
        f["telechargement"] = self.pendant_telechargement(site)
        return f


def demarrer_site(travail):
    """The loopback update site: a version file announcing a newer version whose updater is a
    50 MB body sent in 100 bursts, 150 ms apart. Returns the server and the environment that
    points Monvalor at it."""
    certificat, cle = os.path.join(travail, "certificat.pem"), os.path.join(travail, "cle.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                    "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", cle,
                    "-out", certificat], check=True, capture_output=True)
    site = os.path.join(travail, "site")
    os.makedirs(site)
    ici = os.path.dirname(os.path.abspath(__file__))
    serveur = subprocess.Popen([sys.executable, os.path.join(ici, "..", "tests", "reseau",
                                                             "serveur.py"), certificat, cle, site,
                                os.path.join(travail, "requetes")],
                               stdout=subprocess.PIPE, text=True)
    ports = dict(p.split("=") for p in serveur.stdout.readline().split())
    adresse = "https://127.0.0.1:%s" % ports["https"]
    with open(os.path.join(site, "version.txt"), "w") as f:
        f.write("Version 99.0\r\n%s/lent/50000000/100\r\nNouvelle version\r\n" % adresse)
    return serveur, {"MONVALOR_SITE": adresse + "/site", "MONVALOR_CERTIFICATS": certificat}


def demarrer_xvfb():
    """A private Xvfb on a display it picks itself; the process and its display's name."""
    lecture, ecriture = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-noreset", "-displayfd", str(ecriture), "-screen", "0",
                             "800x600x24", "-nolisten", "tcp"], pass_fds=(ecriture,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(ecriture)
    with os.fdopen(lecture) as f:
        return xvfb, ":" + f.readline().strip()


def main():
    if len(sys.argv) not in (3, 4):
        raise SystemExit(__doc__)
    programmes = [os.path.abspath(sys.argv[1])]
    if len(sys.argv) == 4:
        programmes.append(os.path.abspath(sys.argv[3]))
    muet = os.path.abspath(sys.argv[2])
    travail = tempfile.mkdtemp()
    xvfb, affichage = demarrer_xvfb()
    os.environ["DISPLAY"] = affichage
    os.environ["XDG_RUNTIME_DIR"] = travail
    try:
        if not attendre(lambda: subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0):
            raise SystemExit("Xvfb did not start")
        gros = os.path.join(travail, "gros.txt")
        with open(gros, "wb") as f:
            f.write(b"x" * 10_000_000)
        image = os.path.join(travail, "image.png")
        subprocess.run(["convert", "-size", "64x64", "xc:red", image], check=True)

        # References measured in the same run: a start without a window, a clipboard round
        # trip between two other X clients, the X server's own CPU and memory.
        debuts_ref = []
        for _ in range(5):
            t = time.monotonic()
            subprocess.run([programmes[0], "--version"], capture_output=True)
            debuts_ref.append(time.monotonic() - t)
        allers = []
        for i in range(20):
            t = time.monotonic()
            copier(entree=b"ref%d" % i)
            lire_presse_papier()
            allers.append((time.monotonic() - t) * 1000)
        cpu_x = cpu_sur(xvfb.pid, 5)
        rss_x = rss_mio(xvfb.pid)

        serveur, site = demarrer_site(travail)
        try:
            resultats = [Essai(p, muet, travail, "essai%d" % i).mesurer(gros, image, site)
                         for i, p in enumerate(programmes)]
        finally:
            serveur.kill()
            serveur.wait()

        def ms(v):
            return "not taken" if v is None else f"{v:.1f} ms"

        lignes_tableau = [
            ("start-up to first window (About)", lambda r: ms(r["demarrage"]),
             f"{statistics.median(debuts_ref) * 1000:.1f} ms (--version)", "< 300 ms"),
            ("copy-to-taken latency, median", lambda r: ms(statistics.median(r["latences"])),
             f"{statistics.median(allers):.1f} ms (xclip copy+paste)", "<= 50 ms"),
            ("copy-to-taken latency, max", lambda r: ms(max(r["latences"])),
             f"{max(allers):.1f} ms", "<= 550 ms"),
            ("CPU, Monvalor has the keyboard, 5 s", lambda r: f"{r['focus']:.3f} %", "", "—"),
            ("CPU, empty clipboard, 10 s", lambda r: f"{r['vide']:.3f} %",
             f"{cpu_x:.3f} % (Xvfb)", "< 0.05 %"),
            ("CPU, 10 MB text, 10 s", lambda r: f"{r['gros']:.3f} %", "", "< 0.05 %"),
            ("CPU, an image, 10 s", lambda r: f"{r['image']:.3f} %", "", "< 0.05 %"),
            ("typing, frozen owner, median", lambda r: ms(r["muet"]), "", "< 200 ms"),
            ("second start ends after 0 taken", lambda r: ms(r["second"]), "", "< 300 ms"),
            ("second start, whole", lambda r: ms(r["second_total"]), "", "—"),
            ("copy-to-taken latency during a download, median",
             lambda r: ms(r["telechargement"] and statistics.median(r["telechargement"])), "",
             "<= 50 ms"),
            ("resident memory", lambda r: f"{r['rss']:.1f} MiB", f"{rss_x:.1f} MiB (Xvfb)",
             "< 60 MiB"),
        ]
        print(f"Monvalor measured on Xvfb {affichage}")
        titres = ["what"] + [os.path.relpath(p) for p in programmes] + ["reference", "target"]
        print(" | ".join(titres))
        for nom, valeur, ref, cible in lignes_tableau:
            print(" | ".join([nom] + [valeur(r) for r in resultats] + [ref, cible]))
    finally:
        xvfb.kill()
        shutil.rmtree(travail, ignore_errors=True)


if __name__ == "__main__":
    main()
