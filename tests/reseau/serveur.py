#!/usr/bin/env python3
"""Loopback HTTP/HTTPS server of the network tests: each path is one way a server behaves.

    serveur.py CERTIFICAT CLE [SITE JOURNAL]

Listens on 127.0.0.1, ephemeral ports, and prints one line once ready:
    https=PORT http=PORT ferme=PORT sourd=PORT
`ferme` is a port nobody listens on; `sourd` accepts connections in the kernel and never
answers (not even the TLS handshake). Body bytes follow one pattern, byte i = i % 251, so that
the tests can check them exactly. Paths on the https port (N a byte count):
    /corps/N          Content-Length N, then N bytes
    /ferme/N          no Content-Length: N bytes, then the connection is closed
    /morceaux/N       chunked, in uneven chunks, with an extension and a trailer
    /morceaux-coupe/N chunked, closed halfway
    /coupe/N          Content-Length N, half the bytes, then a reset
    /ferme-tcp/N      no Content-Length, N bytes, then the TCP end without TLS close_notify
    /ferme-coupe/N    no Content-Length, N bytes, then a reset
    /moins/N          Content-Length N, 100 bytes fewer, then closed
    /plus/N           Content-Length N, 10 bytes more
    /lent/N/K         Content-Length N, in K pieces 150 ms apart
    /attente-fin/N    Content-Length N, all the bytes, then silence without closing
    /goutte/N/MS      Content-Length N, one byte every MS milliseconds
    /provisoires      interim answers "100 Continue" without end (a minute at most)
    /vide             "204 No Content"
    /lf/N             lines ended by LF alone
    /statut-invalide, /sans-statut, /longueur-invalide: malformed answers
    /longueurs/N      two Content-Length headers that differ
    /404, /404-10     "HTTP/1.1 404 Not Found", "HTTP/1.0 404 Not Found"
    /500              "HTTP/1.1 500 Internal Server Error"
    /muet             reads the request and never answers
    /redir/K          K redirects (relative addresses), then /corps/100
    /redir-lent/K     the same, each redirect after 400 ms
    /redir-http       a redirect to the http port
    /connexions-http  how many connections the http port has taken, as the body
    /site/NOM         the file NOM of the folder SITE (sub-folders allowed), whole; 404 when
                      it is not there. A line "NOM MODE" in SITE/.modes makes NOM misbehave:
                      goutte (one byte a second, forever), provisoires (1xx answers, forever),
                      statut-html / redir-html (HTML and U+202E in a status line or a Location)
    /site-lent/NOM    the same in 10 pieces 150 ms apart
Every path asked on the https port is appended to JOURNAL, one per line.
The http port answers anything with a 200.
"""
import os, socket, ssl, struct, sys, threading, time

HOTE = "127.0.0.1"
compte_http = 0
verrou = threading.Lock()
site = journal = None


def motif(n, debut=0):
    base = bytes(range(251))
    tours = (debut + n) // 251 + 1
    return (base * tours)[debut:debut + n]


def lire_requete(conn):
    conn.settimeout(30)
    tete = b""
    while b"\r\n\r\n" not in tete:
        bloc = conn.recv(4096)
        if not bloc:
            return None
        tete += bloc
    ligne = tete.split(b"\r\n", 1)[0].decode("latin-1")
    parties = ligne.split(" ")
    return parties[1] if len(parties) >= 2 else "/"


def fermer(conn):
    # An orderly end: over TLS, close_notify first (the client answers by closing).
    if isinstance(conn, ssl.SSLSocket):
        try:
            conn.settimeout(5)
            conn = conn.unwrap()
        except (OSError, ssl.SSLError):
            pass
    try:
        conn.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass
    conn.close()


def fermer_tcp(conn):
    # Only the TCP end, no close_notify: a cut a third party could have made.
    try:
        os.close(conn.detach()) if isinstance(conn, ssl.SSLSocket) else conn.close()
    except OSError:
        pass


def couper(conn):
    # SO_LINGER 0: close sends a reset instead of an orderly end.
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    conn.close()


def envoyer(conn, donnees):
    vue = memoryview(donnees)
    for k in range(0, len(vue), 1 << 18):
        conn.sendall(vue[k:k + (1 << 18)])


# Whole periods of the pattern: sent again and again, they continue it without a seam.
BLOC = motif(251 * 4096)


def envoyer_motif(conn, n):
    vue = memoryview(BLOC)
    while n > 0:
        conn.sendall(vue[:min(n, len(vue))])
        n -= len(vue)


def tete(statut, entetes, version="HTTP/1.1"):
    lignes = [version + " " + statut] + entetes
    return ("\r\n".join(lignes) + "\r\n\r\n").encode("latin-1")


def morceaux(corps):
    sortie = bytearray()
    k, tailles, i = 0, [1, 7, 4096, 300, 65536], 0
    while k < len(corps):
        t = tailles[i % len(tailles)]
        bloc = corps[k:k + t]
        ext = ";nom=valeur" if i == 1 else ""
        sortie += b"%x%s\r\n" % (len(bloc), ext.encode()) + bloc + b"\r\n"
        k += t
        i += 1
    return bytes(sortie)


def servir_https(conn, ports):
    chemin = lire_requete(conn)
    if chemin is None:
        conn.close()
        return
    if journal:
        with verrou, open(journal, "a") as f:
            f.write(chemin + "\n")
    parties = chemin.strip("/").split("/")
    mode = parties[0]
    n = int(parties[1]) if len(parties) > 1 and parties[1].isdigit() else 0
    corps = motif(n) if mode != "corps" else b""
    if mode == "corps":
        conn.sendall(tete("200 OK", ["Content-Length: %d" % n, "Content-Type: application/octet-stream"]))
        envoyer_motif(conn, n)
        fermer(conn)
    elif mode == "ferme":
        envoyer(conn, tete("200 OK", ["Content-Type: application/octet-stream"]) + corps)
        fermer(conn)
    elif mode == "morceaux":
        envoyer(conn, tete("200 OK", ["Transfer-Encoding: chunked"]) + morceaux(corps) +
                b"0\r\nX-Annexe: fin\r\n\r\n")
        fermer(conn)
    elif mode == "morceaux-coupe":
        flux = morceaux(corps)
        envoyer(conn, tete("200 OK", ["Transfer-Encoding: chunked"]) + flux[:len(flux) // 2])
        fermer(conn)
    elif mode == "coupe":
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]) + corps[:n // 2])
        time.sleep(0.1)
        couper(conn)
    elif mode == "ferme-tcp":
        envoyer(conn, tete("200 OK", []) + corps)
        fermer_tcp(conn)
    elif mode == "ferme-coupe":
        envoyer(conn, tete("200 OK", []) + corps)
        time.sleep(0.1)
        couper(conn)
    elif mode == "moins":
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]) + corps[:max(n - 100, 0)])
        fermer(conn)
    elif mode == "plus":
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]) + motif(n + 10))
        fermer(conn)
    elif mode == "lent":
        k = int(parties[2]) if len(parties) > 2 else 5
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]))
        pas = max(n // k, 1)
        for debut in range(0, n, pas):
            time.sleep(0.15)
            envoyer(conn, corps[debut:debut + pas])
        fermer(conn)
    elif mode == "goutte":
        pause = int(parties[2]) / 1000 if len(parties) > 2 else 0.2
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]))
        for k in range(n):
            time.sleep(pause)
            conn.sendall(corps[k:k + 1])
        fermer(conn)
    elif mode == "provisoires":
        lot = tete("100 Continue", []) * 1000
        fin = time.monotonic() + 60
        while time.monotonic() < fin:
            conn.sendall(lot)
        fermer(conn)
    elif mode == "attente-fin":
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n]) + corps)
        attendre_depart(conn)
    elif mode in ("404", "404-10"):
        page = b"<html>introuvable</html>"
        version = "HTTP/1.0" if mode == "404-10" else "HTTP/1.1"
        envoyer(conn, tete("404 Not Found", ["Content-Length: %d" % len(page)], version) + page)
        fermer(conn)
    elif mode == "500":
        page = b"erreur"
        envoyer(conn, tete("500 Internal Server Error", ["Content-Length: %d" % len(page)]) + page)
        fermer(conn)
    elif mode == "vide":
        envoyer(conn, tete("204 No Content", []))
        fermer(conn)
    elif mode == "lf":
        envoyer(conn, ("HTTP/1.1 200 OK\nContent-Length: %d\n\n" % n).encode() + corps)
        fermer(conn)
    elif mode == "statut-invalide":
        envoyer(conn, tete("2x0 OK", ["Content-Length: 0"]))
        fermer(conn)
    elif mode == "sans-statut":
        envoyer(conn, b"bonjour\r\n\r\n")
        fermer(conn)
    elif mode == "longueurs":
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % n, "Content-Length: %d" % (n + 1)]) + corps)
        fermer(conn)
    elif mode == "longueur-invalide":
        envoyer(conn, tete("200 OK", ["Content-Length: 12a"]) + corps)
        fermer(conn)
    elif mode == "muet":
        attendre_depart(conn)
    elif mode in ("redir", "redir-lent"):
        if mode == "redir-lent":
            time.sleep(0.4)
        suite = "/%s/%d" % (mode, n - 1) if n > 1 else "/corps/100"
        envoyer(conn, tete("302 Found", ["Location: " + suite, "Content-Length: 0"]))
        fermer(conn)
    elif mode == "redir-http":
        envoyer(conn, tete("302 Found", ["Location: http://%s:%d/corps/10" % (HOTE, ports["http"]),
                                         "Content-Length: 0"]))
        fermer(conn)
    elif mode in ("site", "site-lent") and site and len(parties) >= 2:
        nom = "/".join(parties[1:])
        fichier = os.path.realpath(os.path.join(site, nom))
        if mode == "site" and servir_mal(conn, nom):
            return
        try:
            if not fichier.startswith(os.path.realpath(site) + os.sep):
                raise OSError("outside the site")
            with open(fichier, "rb") as f:
                contenu = f.read()
        except OSError:
            page = b"introuvable"
            envoyer(conn, tete("404 Not Found", ["Content-Length: %d" % len(page)]) + page)
            fermer(conn)
            return
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % len(contenu)]))
        pas = max(len(contenu) // 10, 1) if mode == "site-lent" else max(len(contenu), 1)
        for debut in range(0, len(contenu), pas):
            if mode == "site-lent":
                time.sleep(0.15)
            envoyer(conn, contenu[debut:debut + pas])
        fermer(conn)
    elif mode == "connexions-http":
        with verrou:
            texte = str(compte_http).encode()
        envoyer(conn, tete("200 OK", ["Content-Length: %d" % len(texte)]) + texte)
        fermer(conn)
    else:
        envoyer(conn, tete("400 Bad Request", ["Content-Length: 0"]))
        fermer(conn)


HTML = "<b style='font-size:90px;color:#ff0000'>GROS</b><img src='file:///etc/x.png'>" + \
       "<a href='file:///etc/passwd'>ici</a>\u202etxt.exe"


def servir_mal(conn, nom):
    """The misbehaviour SITE/.modes gives the file NOM, if any; True when it answered."""
    try:
        with open(os.path.join(site, ".modes")) as f:
            modes = dict(ligne.split() for ligne in f if ligne.strip())
    except OSError:
        return False
    mode = modes.get(nom)
    if mode == "goutte":
        conn.sendall(tete("200 OK", ["Content-Length: 100000"]))
        try:
            for _ in range(600):
                time.sleep(1)
                conn.sendall(b"A")
        except OSError:
            pass
        conn.close()
    elif mode == "provisoires":
        try:
            for _ in range(10 ** 7):
                conn.sendall(b"HTTP/1.1 102 Processing\r\n\r\n")
        except OSError:
            pass
        conn.close()
    elif mode == "statut-html":
        conn.sendall(("HTTP/1.1 500 " + HTML + "\r\nContent-Length: 0\r\n\r\n").encode())
        fermer(conn)
    elif mode == "redir-html":
        conn.sendall(("HTTP/1.1 302 Found\r\nLocation: file:///" + HTML +
                      "\r\nContent-Length: 0\r\n\r\n").encode())
        fermer(conn)
    else:
        return False
    return True


def attendre_depart(conn):
    # Stays silent until the client leaves, or a minute.
    conn.settimeout(60)
    try:
        while conn.recv(4096):
            pass
    except OSError:
        pass
    conn.close()


def servir_http(conn):
    global compte_http
    with verrou:
        compte_http += 1
    if lire_requete(conn) is not None:
        conn.sendall(tete("200 OK", ["Content-Length: 4"]) + b"http")
    fermer(conn)


def accueillir(ecoute, traiter):
    while True:
        conn, _ = ecoute.accept()
        threading.Thread(target=traiter, args=(conn,), daemon=True).start()


def main():
    global site, journal
    certificat, cle = sys.argv[1], sys.argv[2]
    if len(sys.argv) > 4:
        site, journal = sys.argv[3], sys.argv[4]
    contexte = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    contexte.load_cert_chain(certificat, cle)

    def ecoute(arriere=64):
        s = socket.socket()
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((HOTE, 0))
        s.listen(arriere)
        return s

    https, http, sourd = ecoute(), ecoute(), ecoute(1)
    libre = socket.socket()
    libre.bind((HOTE, 0))
    ports = {"https": https.getsockname()[1], "http": http.getsockname()[1],
             "ferme": libre.getsockname()[1], "sourd": sourd.getsockname()[1]}
    libre.close()

    def traiter_https(conn):
        try:
            conn = contexte.wrap_socket(conn, server_side=True)
            servir_https(conn, ports)
        except (OSError, ssl.SSLError):
            conn.close()

    def traiter_http(conn):
        try:
            servir_http(conn)
        except OSError:
            conn.close()

    threading.Thread(target=accueillir, args=(http, traiter_http), daemon=True).start()
    print(" ".join("%s=%d" % kv for kv in ports.items()), flush=True)
    accueillir(https, traiter_https)


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        pass
