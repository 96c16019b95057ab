#!/usr/bin/env python3
"""Measures Monvalor as a user meets it, on a private Xvfb: start-up time to the first window,
copy-to-taken latency over 20 copies, idle CPU over 10 s and resident memory. Each figure is
printed with a reference measured in the same run and with the project's target.

usage: bench/mesures_x11.py PATH_TO_MONVALOR
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


# The first window of a start is the About window; the converter shows when it is closed.
def fenetre_visible():
    return bool(fenetres("Monvalor$"))


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


def copier(texte):
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=texte.encode(), check=True)


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


def main():
    programme = os.path.abspath(sys.argv[1])
    travail = tempfile.mkdtemp()
    env = dict(os.environ, XDG_RUNTIME_DIR=travail, MONVALOR_JOURNAL=f"{travail}/journal",
               XDG_CONFIG_HOME=f"{travail}/config", XDG_DATA_HOME=f"{travail}/data")
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("QT_QPA_PLATFORM", None)
    lecture, ecriture = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-noreset", "-displayfd", str(ecriture), "-screen", "0", "800x600x24",
                             "-nolisten", "tcp"], pass_fds=(ecriture,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(ecriture)
    with os.fdopen(lecture) as f:
        affichage = ":" + f.readline().strip()
    os.environ["DISPLAY"] = env["DISPLAY"] = affichage
    os.environ["XDG_RUNTIME_DIR"] = travail
    prog = None
    try:
        if not attendre(lambda: subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0):
            raise SystemExit("Xvfb did not start")

        # Reference for start-up: the same program started without a window.
        debuts_ref = []
        for _ in range(5):
            t = time.monotonic()
            subprocess.run([programme, "--version"], capture_output=True, env=env)
            debuts_ref.append(time.monotonic() - t)

        debuts = []
        for essai in range(5):
            t = time.monotonic()
            prog = subprocess.Popen([programme], env=env, stdout=subprocess.DEVNULL,
                                    stderr=open(f"{travail}/erreurs", "a"))
            if not attendre(fenetre_visible):
                raise SystemExit("the window did not appear (start %d): %s" %
                                 (essai, open(f"{travail}/erreurs").read()))
            debuts.append(time.monotonic() - t)
            if essai < 4:
                prog.kill()
                prog.wait()
                attendre(lambda: not fenetre_visible())

        fermer_apropos()

        # Reference for latency: a clipboard round trip between two other X clients.
        allers = []
        for i in range(20):
            t = time.monotonic()
            copier("ref%d" % i)
            lire_presse_papier()
            allers.append((time.monotonic() - t) * 1000)

        latences = []
        journal = env["MONVALOR_JOURNAL"]
        for i in range(20):
            avant = len(lignes(journal))
            time.sleep(0.137 * (i % 4))  # copies land anywhere in the 500 ms tick
            t0 = time.monotonic_ns()
            copier("%d.%02d" % (10 + i, i))
            if not attendre(lambda: len(lignes(journal)) > avant, limite=3):
                raise SystemExit("copy %d was not taken" % i)
            pris_ms = int(lignes(journal)[-1].split("\t")[0])
            latences.append(pris_ms - t0 / 1e6)

        attendre(lambda: lire_presse_papier() == b"", limite=2)
        time.sleep(1)
        cpu0, x0, t0 = temps_cpu(prog.pid), temps_cpu(xvfb.pid), time.monotonic()
        time.sleep(10)
        duree = time.monotonic() - t0
        cpu = (temps_cpu(prog.pid) - cpu0) / duree * 100
        cpu_x = (temps_cpu(xvfb.pid) - x0) / duree * 100
        rss = rss_mio(prog.pid)
        rss_x = rss_mio(xvfb.pid)

        def ligne(nom, valeur, unite, ref, nom_ref, cible):
            ratio = valeur / ref if ref > 0 else float("nan")
            print(f"{nom:<30} {valeur:9.2f} {unite:<4} ref {ref:8.2f} ({nom_ref}) "
                  f"ratio {ratio:6.2f}  target {cible}")

        print(f"Monvalor measured on Xvfb {affichage}")
        ligne("start-up to first window (About)", statistics.median(debuts) * 1000, "ms",
              statistics.median(debuts_ref) * 1000, "same program, --version", "< 300 ms")
        ligne("copy-to-taken latency, median", statistics.median(latences), "ms",
              statistics.median(allers), "xclip copy+paste", "<= 50 ms")
        ligne("copy-to-taken latency, max", max(latences), "ms", max(allers),
              "xclip copy+paste", "<= 550 ms")
        ligne("idle CPU over 10 s", cpu, "%", max(cpu_x, 0.01), "Xvfb itself", "< 0.2 %")
        ligne("resident memory", rss, "MiB", rss_x, "Xvfb itself", "< 60 MiB")
    finally:
        if prog:
            prog.kill()
        xvfb.kill()
        shutil.rmtree(travail, ignore_errors=True)


if __name__ == "__main__":
    main()
