#!/usr/bin/env python3
"""Measures Monvalor in a Wayland session, as a sway user meets it: sway on its headless
back-end with XWayland, a Wayland window (foot) holding the focus, amounts copied with wl-copy.
Prints the copy-to-taken latency over 20 copies (data-control, the windows on XWayland and on
Wayland), beside a wl-copy + wl-paste round trip measured in the same run; and, idle over
20 s once an amount has been taken, the wake-ups of each of Monvalor's threads and its CPU,
beside the same program on a private Xvfb in the same run.

usage: bench/mesures_wayland.py PATH_TO_MONVALOR
"""
import glob
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from mesures_x11 import attendre, cpu_sur, demarrer_xvfb, lignes

# sway refuses to run as root: as root, the session and its programs run as "nobody".
COMME = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"] \
    if os.getuid() == 0 else []


def comme(arguments, **options):
    return subprocess.run(COMME + arguments, **options)


def reveils(pid):
    """Voluntary context switches of each thread of the process, by thread name."""
    compte = {}
    for tache in glob.glob(f"/proc/{pid}/task/*"):
        with open(f"{tache}/comm") as f:
            nom = f.read().strip()
        with open(f"{tache}/status") as f:
            for ligne in f:
                if ligne.startswith("voluntary_ctxt_switches:"):
                    compte[f"{nom} ({os.path.basename(tache)})"] = int(ligne.split()[1])
    return compte


def reveils_sur(pid, secondes):
    avant = reveils(pid)
    time.sleep(secondes)
    apres = reveils(pid)
    return {nom: (apres[nom] - avant.get(nom, 0)) / secondes for nom in apres}


def fenetres_sway():
    return subprocess.run(["swaymsg", "-t", "get_tree"], capture_output=True, text=True).stdout


def demarrer_sway(travail):
    os.makedirs(f"{travail}/run", mode=0o700)
    if COMME:
        shutil.chown(travail, "nobody")
        shutil.chown(f"{travail}/run", "nobody")
    with open(f"{travail}/sway.conf", "w") as f:
        f.write("xwayland enable\n")
    if not os.path.isdir("/tmp/.X11-unix"):
        os.mkdir("/tmp/.X11-unix", 0o1777)
    env = dict(os.environ, XDG_RUNTIME_DIR=f"{travail}/run", HOME=travail,
               WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1")
    for nom in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"):
        env.pop(nom, None)
    sway = subprocess.Popen(COMME + ["sway", "-c", f"{travail}/sway.conf"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not attendre(lambda: glob.glob(f"{travail}/run/sway-ipc.*.sock")
                    and glob.glob(f"{travail}/run/wayland-[0-9]")):
        raise SystemExit("sway did not start")
    env["SWAYSOCK"] = glob.glob(f"{travail}/run/sway-ipc.*.sock")[0]
    env["WAYLAND_DISPLAY"] = os.path.basename(glob.glob(f"{travail}/run/wayland-[0-9]")[0])
    os.environ.update(SWAYSOCK=env["SWAYSOCK"])
    subprocess.run(["swaymsg", "exec", f"printenv DISPLAY > {travail}/affichage"],
                   env=env, capture_output=True)
    attendre(lambda: os.path.exists(f"{travail}/affichage")
             and open(f"{travail}/affichage").read().strip())
    env["DISPLAY"] = open(f"{travail}/affichage").read().strip()
    for nom in ("WLR_BACKENDS", "WLR_RENDERER", "WLR_LIBINPUT_NO_DEVICES"):
        del env[nom]
    return sway, env


def latences(env, journal):
    resultats = []
    for i in range(20):
        avant = len(lignes(journal))
        time.sleep(0.137 * (i % 4))  # copies land anywhere in the 500 ms tick
        t0 = time.monotonic_ns()
        comme(["wl-copy", "%d.%02d" % (10 + i, i)], env=env, check=True)
        if not attendre(lambda: len(lignes(journal)) > avant, limite=3):
            raise SystemExit("copy %d was not taken" % i)
        resultats.append(int(lignes(journal)[-1].split("\t")[0]) - t0 / 1e6)
    return resultats


def essai(programme, env, travail, nom, plateforme):
    dossier = os.path.join(travail, nom)
    os.makedirs(dossier)
    if COMME:
        shutil.chown(dossier, "nobody")
    journal = os.path.join(dossier, "journal")
    env = dict(env, MONVALOR_JOURNAL=journal, XDG_CONFIG_HOME=dossier, XDG_DATA_HOME=dossier)
    if plateforme == "wayland":
        env.update(QT_QPA_PLATFORM="wayland", DISPLAY="")
    prog = subprocess.Popen(COMME + [programme], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        if not attendre(lambda: "propos de Monvalor" in fenetres_sway()):
            raise SystemExit("the About window did not appear")
        subprocess.run(["swaymsg", '[title="^À propos de Monvalor$"] kill'], env=env,
                       capture_output=True)
        # The user looks at the converter, then goes back to work in the terminal.
        time.sleep(1)
        subprocess.run(["swaymsg", '[title="^travail$"] focus'], env=env, capture_output=True)
        time.sleep(0.5)
        mesures = {"latences": latences(env, journal)}
        time.sleep(2)
        mesures.update(reveils=reveils_sur(prog.pid, 20), cpu=cpu_sur(prog.pid, 5))
        return mesures
    finally:
        prog.kill()
        prog.wait()


def essai_x11(programme, travail):
    """The same program idle on a private Xvfb: wake-ups and CPU."""
    xvfb, affichage = demarrer_xvfb()
    dossier = os.path.join(travail, "x11")
    os.makedirs(dossier)
    env = dict(os.environ, DISPLAY=affichage, XDG_RUNTIME_DIR=dossier, XDG_CONFIG_HOME=dossier,
               XDG_DATA_HOME=dossier)
    for nom in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SWAYSOCK"):
        env.pop(nom, None)
    prog = subprocess.Popen([programme], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(2)
        subprocess.run(["xdotool", "key", "Return"], env=env, check=True)
        # An amount taken, as in the Wayland session: the window raised and activated.
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"12.50", env=env,
                       check=True)
        time.sleep(2)
        return {"reveils": reveils_sur(prog.pid, 20), "cpu": cpu_sur(prog.pid, 5)}
    finally:
        prog.kill()
        prog.wait()
        xvfb.kill()
        xvfb.wait()


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    programme = os.path.abspath(sys.argv[1])
    travail = tempfile.mkdtemp()
    os.chmod(travail, 0o755)
    sway, env = demarrer_sway(travail)
    autres = []
    try:
        # XWayland ends with its last client: one stays for the whole run.
        autres.append(subprocess.Popen(COMME + ["xprop", "-root", "-spy", "_NET_ACTIVE_WINDOW"],
                                       env=env, stdout=subprocess.DEVNULL))
        autres.append(subprocess.Popen(COMME + ["foot", "-T", "travail"], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        allers = []
        for i in range(20):
            t = time.monotonic()
            comme(["wl-copy", "ref%d" % i], env=env, check=True)
            comme(["wl-paste"], env=env, capture_output=True)
            allers.append((time.monotonic() - t) * 1000)
        resultats = {p: essai(programme, env, travail, p, p) for p in ("xwayland", "wayland")}
    finally:
        for p in autres:
            p.kill()
        sway.kill()
        sway.wait()
    x11 = essai_x11(programme, travail)
    shutil.rmtree(travail, ignore_errors=True)

    print("Monvalor measured in a headless sway session (data-control), foot holding the focus")
    print("what | windows on XWayland | windows on Wayland | reference | target")
    lat = {p: r["latences"] for p, r in resultats.items()}
    print("copy-to-taken latency, median | %.1f ms | %.1f ms | %.1f ms (wl-copy + wl-paste) | "
          "<= 20 ms" % (statistics.median(lat["xwayland"]), statistics.median(lat["wayland"]),
                        statistics.median(allers)))
    print("copy-to-taken latency, max | %.1f ms | %.1f ms | %.1f ms | <= 550 ms"
          % (max(lat["xwayland"]), max(lat["wayland"]), max(allers)))
    print("CPU idle, 5 s | %.3f %% | %.3f %% | %.3f %% (Xvfb session) | —"
          % (resultats["xwayland"]["cpu"], resultats["wayland"]["cpu"], x11["cpu"]))
    print("\nIdle wake-ups per second over 20 s, by thread (X11: the same program on Xvfb)")
    for nom, r in (("sway, windows on XWayland", resultats["xwayland"]["reveils"]),
                   ("sway, windows on Wayland", resultats["wayland"]["reveils"]),
                   ("X11 (Xvfb)", x11["reveils"])):
        print("%s: %s (total %.2f/s)" % (nom, ", ".join("%s %.2f" % (t, v) for t, v in
                                                        sorted(r.items())), sum(r.values())))


if __name__ == "__main__":
    main()
