<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AccessRules</name>
    <message>
        <source>&apos;%1&apos; names a network interface; give addresses only</source>
        <extracomment>%1 is an item of the --allow list (&quot;fe80::1%eth0&quot;).</extracomment>
        <translation>&apos;%1&apos; nomme une interface réseau ; donnez seulement des adresses</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no address or network</source>
        <extracomment>%1 is an item of the --allow list.</extracomment>
        <translation>&apos;%1&apos; n&apos;est ni une adresse ni un réseau</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has no prefix length from 0 to %2</source>
        <extracomment>%1 is an item of the --allow list, %2 the address&apos;s bits (32, 128).</extracomment>
        <translation>&apos;%1&apos; n&apos;a pas de longueur de préfixe de 0 à %2</translation>
    </message>
    <message>
        <source>&apos;%1&apos; has bits set beyond its prefix: the network is %2/%3</source>
        <extracomment>%1 is an item of the --allow list; %2/%3 the network it lies in (&quot;10.1.2.0/24&quot;).</extracomment>
        <translation>&apos;%1&apos; a des bits à 1 au-delà de son préfixe : le réseau est %2/%3</translation>
    </message>
    <message>
        <source>the list names %1 addresses and networks; at most %2 are taken</source>
        <extracomment>%1 is the number of items of the --allow list (always more than %2).</extracomment>
        <translation>la liste nomme %1 adresses et réseaux ; %2 au plus sont acceptés</translation>
    </message>
    <message>
        <source>the list has an empty item</source>
        <translation>la liste a un élément vide</translation>
    </message>
    <message>
        <source>&apos;any&apos; stands alone: it allows every address</source>
        <translation>&apos;any&apos; s&apos;emploie seul : il autorise toutes les adresses</translation>
    </message>
</context>
<context>
    <name>CardHeader</name>
    <message>
        <source>Slot %1</source>
        <extracomment>Where the card&apos;s VXI module sits in the mainframe; %1 is the slot number</extracomment>
        <translation>Emplacement %1</translation>
    </message>
    <message>
        <source>Orbelan %1 Soft Front Panel</source>
        <extracomment>The main window&apos;s title; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 Soft Front Panel</translation>
    </message>
</context>
<context>
    <name>CardScan</name>
    <message>
        <source>a scan or sequence runs</source>
        <translation>un balayage ou une séquence est en cours</translation>
    </message>
    <message>
        <source>a scan has at most %1 steps</source>
        <extracomment>%1 is the most steps a scan may have</extracomment>
        <translation>un balayage a au plus %1 étapes</translation>
    </message>
    <message>
        <source>each step of a scan closes relays 1 to 32</source>
        <translation>chaque étape d&apos;un balayage ferme des relais de 1 à 32</translation>
    </message>
    <message>
        <source>a settle time is 0 to 60 s</source>
        <translation>un temps de stabilisation va de 0 à 60 s</translation>
    </message>
    <message>
        <source>a step interval is 1 ms to 3600 s</source>
        <translation>un intervalle entre étapes va de 1 ms à 3600 s</translation>
    </message>
    <message>
        <source>a scan has 1 to 1000000 sweeps, or no end</source>
        <translation>un balayage compte de 1 à 1000000 passages, ou n&apos;a pas de fin</translation>
    </message>
    <message>
        <source>a scan or sequence runs already</source>
        <translation>un balayage ou une séquence est déjà en cours</translation>
    </message>
    <message>
        <source>the scan list is empty</source>
        <translation>la liste de balayage est vide</translation>
    </message>
    <message>
        <source>no sequence is named &quot;%1&quot;</source>
        <extracomment>%1 is the name of a stored sequence</extracomment>
        <translation>aucune séquence ne s&apos;appelle « %1 »</translation>
    </message>
    <message>
        <source>the run belongs to %1, who started it under the lock</source>
        <extracomment>%1 names the client that started the scan, as the log names it</extracomment>
        <translation>l&apos;exécution appartient à %1, qui l&apos;a démarrée sous le verrou</translation>
    </message>
    <message>
        <source>the card failed: %1</source>
        <translation>la carte signale une erreur : %1</translation>
    </message>
</context>
<context>
    <name>CardService</name>
    <message>
        <source>there is no such file</source>
        <translation>ce fichier n&apos;existe pas</translation>
    </message>
</context>
<context>
    <name>CardSession</name>
    <message>
        <source>a label</source>
        <translation>une étiquette</translation>
    </message>
    <message>
        <source>the panel has no fixture file</source>
        <translation>le panneau n&apos;a pas de fichier de montage</translation>
    </message>
    <message>
        <source>the fixture file cannot be written: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>le fichier de montage ne peut pas être écrit : %1</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>le nom d&apos;un état</translation>
    </message>
    <message>
        <source>both relays of pair %1 would be closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>les deux relais de la paire %1 seraient fermés sous la règle exclusive</translation>
    </message>
    <message>
        <source>no state is named &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>aucun état ne s&apos;appelle « %1 »</translation>
    </message>
    <message>
        <source>both relays of a pair are closed under the exclusive rule</source>
        <translation>les deux relais d&apos;une paire sont fermés sous la règle exclusive</translation>
    </message>
    <message>
        <source>a sequence&apos;s name</source>
        <translation>le nom d&apos;une séquence</translation>
    </message>
    <message>
        <source>no sequence &quot;%1&quot;</source>
        <extracomment>%1 is the name of a sequence of the fixture</extracomment>
        <translation>aucune séquence « %1 »</translation>
    </message>
    <message>
        <source>both relays of pair %1 under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>les deux relais de la paire %1 sous la règle exclusive</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Valeur manquante après &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Option &apos;%1&apos; given more than once.</source>
        <translation>L&apos;option &apos;%1&apos; est donnée plus d&apos;une fois.</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Valeur inattendue après &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown option &apos;%1&apos;.</source>
        <translation>Option inconnue &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>Unknown options: %1.</source>
        <extracomment>%1 is a list of options, separated by &quot;, &quot;.</extracomment>
        <translation>Options inconnues : %1.</translation>
    </message>
    <message>
        <source>--log-to-vcd takes the log and the file to write: --log-to-vcd LOG OUT.vcd.</source>
        <translation>--log-to-vcd attend le journal et le fichier à écrire : --log-to-vcd LOG OUT.vcd.</translation>
    </message>
    <message>
        <source>Unexpected argument &apos;%1&apos;.</source>
        <translation>Argument inattendu &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--library-path needs a folder.</source>
        <translation>--library-path demande un dossier.</translation>
    </message>
    <message>
        <source>Choose only one of --simulate and --library-path.</source>
        <translation>Choisissez une seule des options --simulate et --library-path.</translation>
    </message>
    <message>
        <source>Choose only one of --log-to-scpi and --log-to-vcd.</source>
        <translation>Choisissez une seule des options --log-to-scpi et --log-to-vcd.</translation>
    </message>
    <message>
        <source>--%1 is for --log-to-scpi and --log-to-vcd.</source>
        <translation>--%1 ne sert qu&apos;avec --log-to-scpi et --log-to-vcd.</translation>
    </message>
    <message>
        <source>--%1 takes a time as ISO 8601 writes it (2026-12-09T14:05:00, with an offset or Z where it is not local time), not &apos;%2&apos;.</source>
        <translation>--%1 attend une heure écrite selon ISO 8601 (2026-12-09T14:05:00, avec un décalage ou Z si ce n&apos;est pas l&apos;heure locale), pas &apos;%2&apos;.</translation>
    </message>
    <message>
        <source>--%1 needs a log file.</source>
        <translation>--%1 demande un fichier journal.</translation>
    </message>
    <message>
        <source>--allow is for --listen and --http: give one of them.</source>
        <translation>--allow sert à --listen et --http : donnez l&apos;une des deux.</translation>
    </message>
    <message>
        <source>--allow takes addresses and networks (10.1.2.3, 192.168.7.0/24, fd00::/64) or any: %1.</source>
        <extracomment>%1 says what is wrong with the list.</extracomment>
        <translation>--allow attend des adresses et des réseaux (10.1.2.3, 192.168.7.0/24, fd00::/64) ou any : %1.</translation>
    </message>
    <message>
        <source>--%1 %2 reaches beyond the loopback: say who may connect with --allow (addresses, networks, or any).</source>
        <extracomment>%1 is the option&apos;s name (listen, http), %2 its value.</extracomment>
        <translation>--%1 %2 va au-delà du bouclage : indiquez avec --allow qui peut se connecter (adresses, réseaux ou any).</translation>
    </message>
    <message>
        <source>--listen takes [ADDRESS:]PORT with a numeric address and a port from 1 to 65535, not &apos;%1&apos;.</source>
        <translation>--listen attend [ADDRESS:]PORT avec une adresse numérique et un port de 1 à 65535, pas &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--http takes [ADDRESS:]PORT with a numeric address and a port from 1 to 65535, not &apos;%1&apos;.</source>
        <translation>--http attend [ADDRESS:]PORT avec une adresse numérique et un port de 1 à 65535, pas &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>--http and --listen cannot share port %1.</source>
        <translation>--http et --listen ne peuvent pas partager le port %1.</translation>
    </message>
    <message>
        <source>--idle-timeout takes a whole number of seconds from 1 to %1, not &apos;%2&apos;.</source>
        <translation>--idle-timeout attend un nombre entier de secondes de 1 à %1, pas &apos;%2&apos;.</translation>
    </message>
    <message>
        <source>--idle-timeout is for the remote control: give --listen too.</source>
        <translation>--idle-timeout sert à la commande à distance : donnez aussi --listen.</translation>
    </message>
    <message>
        <source>--set-password needs a file.</source>
        <translation>--set-password demande un fichier.</translation>
    </message>
    <message>
        <source>--%1 is for the web face: give --http too.</source>
        <translation>--%1 sert à l&apos;interface web : donnez aussi --http.</translation>
    </message>
    <message>
        <source>--%1 needs a file.</source>
        <translation>--%1 demande un fichier.</translation>
    </message>
    <message>
        <source>--http-certificate and --http-key go together: give both.</source>
        <translation>--http-certificate et --http-key vont ensemble : donnez les deux.</translation>
    </message>
    <message>
        <source>--fixture needs a file.</source>
        <translation>--fixture demande un fichier.</translation>
    </message>
    <message>
        <source>-platform needs the name of a platform.</source>
        <translation>-platform demande le nom d&apos;une plateforme.</translation>
    </message>
    <message>
        <source>Choose only one of --demo, --scan and --address.</source>
        <translation>Choisissez une seule des options --demo, --scan et --address.</translation>
    </message>
    <message>
        <source>--address and --fc go together: give both.</source>
        <translation>--address et --fc vont ensemble : donnez les deux.</translation>
    </message>
    <message>
        <source>--address needs a VISA resource descriptor.</source>
        <translation>--address demande un descripteur de ressource VISA.</translation>
    </message>
    <message>
        <source>--address &apos;%1&apos; is no VISA resource descriptor.</source>
        <translation>--address &apos;%1&apos; n&apos;est pas un descripteur de ressource VISA.</translation>
    </message>
    <message>
        <source>--fc must be a function-card number from 1 to 8, not &apos;%1&apos;.</source>
        <translation>--fc doit être un numéro de carte de fonction de 1 à 8, pas &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>-%1 is for the window; --headless shows none.</source>
        <translation>-%1 sert à la fenêtre ; --headless n&apos;en affiche aucune.</translation>
    </message>
    <message>
        <source>--headless needs a card: give --address with --fc, --demo or --scan.</source>
        <translation>--headless demande une carte : donnez --address avec --fc, --demo ou --scan.</translation>
    </message>
    <message>
        <source>--headless needs a way in for clients: give --listen or --http.</source>
        <translation>--headless demande un accès pour les clients : donnez --listen ou --http.</translation>
    </message>
    <message>
        <source>--options-file needs a file.</source>
        <translation>--options-file demande un fichier.</translation>
    </message>
    <message>
        <source>the options file %1: there is no such file</source>
        <translation>le fichier d&apos;options %1 : ce fichier n&apos;existe pas</translation>
    </message>
    <message>
        <source>the options file %1 %2</source>
        <extracomment>%1 is the file&apos;s path, %2 what is wrong with it, in English as the file&apos;s reader says it (&quot;is not a regular file&quot;).</extracomment>
        <translation>le fichier d&apos;options %1 %2</translation>
    </message>
    <message>
        <source>the options file %1: &apos;%2&apos; is no option</source>
        <extracomment>%1 is the file&apos;s path and line (&quot;opts:3&quot;), %2 the line&apos;s first word.</extracomment>
        <translation>le fichier d&apos;options %1 : &apos;%2&apos; n&apos;est pas une option</translation>
    </message>
    <message>
        <source>the options file %1: an options file names no other</source>
        <extracomment>%1 is the file&apos;s path and line (&quot;opts:3&quot;).</extracomment>
        <translation>le fichier d&apos;options %1 : un fichier d&apos;options n&apos;en nomme pas d&apos;autre</translation>
    </message>
    <message>
        <source>the options file %1:%2: %3</source>
        <extracomment>%1 is the file&apos;s path, %2 the number of its line, %3 the fault of that line.</extracomment>
        <translation>le fichier d&apos;options %1:%2 : %3</translation>
    </message>
    <message>
        <source>Try &apos;qx5170fp --help&apos; for more information.</source>
        <translation>Essayez &apos;qx5170fp --help&apos; pour plus d&apos;informations.</translation>
    </message>
    <message>
        <source>no display to show the panel on: set DISPLAY, or choose a platform with -platform or QT_QPA_PLATFORM (offscreen, vnc)</source>
        <translation>aucun écran où afficher le panneau : définissez DISPLAY, ou choisissez une plateforme avec -platform ou QT_QPA_PLATFORM (offscreen, vnc)</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <extracomment>%1 is the system&apos;s reason (&quot;No space left on device&quot;).</extracomment>
        <translation>impossible d&apos;écrire sur la sortie standard : %1</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>impossible d&apos;écrire sur la sortie standard</translation>
    </message>
    <message>
        <source>the headless server cannot be run: %1</source>
        <extracomment>%1 is the server&apos;s file and why it cannot be run.</extracomment>
        <translation>le serveur sans fenêtre ne peut pas être lancé : %1</translation>
    </message>
    <message>
        <source>run by &apos;qx5170fp --headless&apos;</source>
        <translation>lancé par &apos;qx5170fp --headless&apos;</translation>
    </message>
</context>
<context>
    <name>CommandLineHelp</name>
    <message>
        <source>Soft front panel of the Orbelan 5170 32-channel relay card.
Without options it asks how to connect: Auto Find, Run In Demo Mode or Enter Address.</source>
        <translation>Face avant logicielle de la carte relais 32 voies Orbelan 5170.
Sans option, elle demande comment se connecter : Recherche auto, Lancer en mode
démo ou Saisir l&apos;adresse.</translation>
    </message>
    <message>
        <source>Show this help and exit.</source>
        <translation>Afficher cette aide et quitter.</translation>
    </message>
    <message>
        <source>Show the revisions of the panel, the instrument driver and the common library, and exit.</source>
        <translation>Afficher les versions du panneau, du pilote d&apos;instrument et de la bibliothèque commune, et quitter.</translation>
    </message>
    <message>
        <source>Start in demo mode, without hardware (as &quot;Run In Demo Mode&quot;).</source>
        <translation>Démarrer en mode démo, sans matériel (comme &quot;Lancer en mode démo&quot;).</translation>
    </message>
    <message>
        <source>Search for the card at once (as &quot;Auto Find&quot;).</source>
        <translation>Chercher la carte tout de suite (comme &quot;Recherche auto&quot;).</translation>
    </message>
    <message>
        <source>Open the card on the motherboard with this VISA resource descriptor (with --fc). Not stored in DefaultInstrDescr.ini.</source>
        <translation>Ouvrir la carte sur la carte mère avec ce descripteur de ressource VISA (avec --fc). N&apos;est pas enregistré dans DefaultInstrDescr.ini.</translation>
    </message>
    <message>
        <source>Function-card number on that motherboard, 1 to 8 (with --address).</source>
        <translation>Numéro de la carte de fonction sur cette carte mère, de 1 à 8 (avec --address).</translation>
    </message>
    <message>
        <source>Load VISA, the common library and the instrument driver from this folder and nowhere else; without them there, the program ends.</source>
        <translation>Charger VISA, la bibliothèque commune et le pilote d&apos;instrument depuis ce dossier et nulle part ailleurs ; s&apos;ils n&apos;y sont pas, le programme s&apos;arrête.</translation>
    </message>
    <message>
        <source>Run on the simulated platform that comes with the panel, whatever vendor libraries are installed.</source>
        <translation>Fonctionner sur la plateforme simulée fournie avec le panneau, quelles que soient les bibliothèques du fabricant installées.</translation>
    </message>
    <message>
        <source>Take SCPI commands on this TCP port once connected (card or demo mode), on the loopback interface unless an address is named: 5025, 127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (every address, IPv4 ones too).</source>
        <translation>Une fois connecté (carte ou mode démo), accepter les commandes SCPI sur ce port TCP, sur l&apos;interface de bouclage sauf si une adresse est donnée : 5025, 127.0.0.1:5025, [::1]:5025, 0.0.0.0:5025, [::]:5025 (toutes les adresses, IPv4 aussi).</translation>
    </message>
    <message>
        <source>Serve the card&apos;s web page, LXI identification and REST on this TCP port once connected, on the loopback interface unless an address is named, as --listen reads it.</source>
        <translation>Une fois connecté, servir la page web de la carte, l&apos;identification LXI et REST sur ce port TCP, sur l&apos;interface de bouclage sauf si une adresse est donnée, lu comme pour --listen.</translation>
    </message>
    <message>
        <source>Who besides the loopback may connect to --listen and --http: addresses and networks, comma-separated (192.168.7.0/24,fd00::/64,10.1.2.3), or the word any. Needed for an address beyond the loopback; others are refused before they reach the card.</source>
        <translation>Qui, en plus du bouclage, peut se connecter à --listen et --http : adresses et réseaux séparés par des virgules (192.168.7.0/24,fd00::/64,10.1.2.3), ou le mot any. Nécessaire pour une adresse au-delà du bouclage ; les autres sont refusés avant d&apos;atteindre la carte.</translation>
    </message>
    <message>
        <source>Read a password for the web face (twice from a terminal, else one line of standard input), write its salted hash to FILE (mode 0600), and exit.</source>
        <translation>Lire un mot de passe pour l&apos;interface web (deux fois depuis un terminal, sinon une ligne de l&apos;entrée standard), écrire son hachage salé dans FILE (mode 0600), et quitter.</translation>
    </message>
    <message>
        <source>With --http: changes from beyond the loopback need this password (a file that --set-password wrote), given over HTTPS; without it they are refused.</source>
        <translation>Avec --http : les modifications venant d&apos;au-delà du bouclage demandent ce mot de passe (un fichier écrit par --set-password), donné par HTTPS ; sans lui, elles sont refusées.</translation>
    </message>
    <message>
        <source>With --http and --http-key: serve HTTPS with this PEM certificate.</source>
        <translation>Avec --http et --http-key : servir en HTTPS avec ce certificat PEM.</translation>
    </message>
    <message>
        <source>With --http and --http-certificate: the certificate&apos;s PEM private key (mode 0600).</source>
        <translation>Avec --http et --http-certificate : la clé privée PEM du certificat (mode 0600).</translation>
    </message>
    <message>
        <source>With --listen: close the connection of a remote client that has sent nothing for this many seconds (by default a client may stay silent as long as it likes).</source>
        <translation>Avec --listen : fermer la connexion d&apos;un client distant qui n&apos;a rien envoyé depuis ce nombre de secondes (par défaut, un client peut rester silencieux aussi longtemps qu&apos;il le veut).</translation>
    </message>
    <message>
        <source>Under the exclusive rule, open a relay&apos;s partner before the clicked relay closes (by default the relay closes first).</source>
        <translation>Sous la règle exclusive, ouvrir le relais partenaire avant que le relais cliqué ne se ferme (par défaut, le relais se ferme d&apos;abord).</translation>
    </message>
    <message>
        <source>Read the card&apos;s fixture (relay labels, rules, rated life, named states) from this JSON file instead of the card&apos;s own file under ~/.config/qx5170fp/fixtures.</source>
        <translation>Lire la fixture de la carte (libellés des relais, règles, durée de vie nominale, états nommés) dans ce fichier JSON au lieu du fichier propre à la carte sous ~/.config/qx5170fp/fixtures.</translation>
    </message>
    <message>
        <source>Keep no switching log (by default every change of the card is logged to ~/.local/state/qx5170fp/&lt;card id&gt;/switching.jsonl).</source>
        <translation>Ne tenir aucun journal de commutation (par défaut, chaque changement de la carte est journalisé dans ~/.local/state/qx5170fp/&lt;card id&gt;/switching.jsonl).</translation>
    </message>
    <message>
        <source>Print the SCPI lines that make the changes of a switching log again, and exit.</source>
        <translation>Afficher les lignes SCPI qui refont les changements d&apos;un journal de commutation, et quitter.</translation>
    </message>
    <message>
        <source>Write the relays of a switching log as a Value Change Dump to OUT.vcd (for sigrok and PulseView), and exit: --log-to-vcd LOG OUT.vcd.</source>
        <translation>Écrire les relais d&apos;un journal de commutation en Value Change Dump dans OUT.vcd (pour sigrok et PulseView), et quitter : --log-to-vcd LOG OUT.vcd.</translation>
    </message>
    <message>
        <source>With --log-to-scpi or --log-to-vcd: only the changes from this time on (ISO 8601, 2026-12-09T14:05:00).</source>
        <translation>Avec --log-to-scpi ou --log-to-vcd : seulement les changements à partir de cette heure (ISO 8601, 2026-12-09T14:05:00).</translation>
    </message>
    <message>
        <source>With --log-to-scpi or --log-to-vcd: only the changes up to this time.</source>
        <translation>Avec --log-to-scpi ou --log-to-vcd : seulement les changements jusqu&apos;à cette heure.</translation>
    </message>
    <message>
        <source>Serve the card without a window or a display: needs a card (--address with --fc, --demo or --scan) and --listen or --http. Ends on SIGTERM or SIGINT; SIGHUP reads the fixture file again.</source>
        <translation>Servir la carte sans fenêtre ni écran : demande une carte (--address avec --fc, --demo ou --scan) et --listen ou --http. S&apos;arrête sur SIGTERM ou SIGINT ; SIGHUP relit le fichier de fixture.</translation>
    </message>
    <message>
        <source>Read more options from this file, one to a line as on the command line (&quot;--listen 0.0.0.0:5025&quot;); blank lines and lines that begin with # are skipped.</source>
        <translation>Lire d&apos;autres options dans ce fichier, une par ligne comme sur la ligne de commande (&quot;--listen 0.0.0.0:5025&quot;) ; les lignes vides et celles qui commencent par # sont ignorées.</translation>
    </message>
    <message>
        <source>Usage: %1 [options]</source>
        <extracomment>The first line of --help; %1 is the program&apos;s name.</extracomment>
        <translation>Utilisation : %1 [options]</translation>
    </message>
    <message>
        <source>Options:</source>
        <extracomment>The heading of --help&apos;s list of options.</extracomment>
        <translation>Options :</translation>
    </message>
    <message>
        <source>The platform libraries come from the first place named of --library-path,
QX5170FP_LIBRARY_PATH (folders separated by &apos;:&apos;) and the key LibraryPath of
$XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (by default ~/.config/...), else of
qx5170fp/qx5170fp.conf in $XDG_CONFIG_DIRS (by default /etc/xdg); a place
named that does not hold them ends the program. Without one, the dynamic
linker&apos;s folders are searched, and then the simulated platform is used.</source>
        <extracomment>The end of --help, on a terminal: break lines before column 80, as the English does.</extracomment>
        <translation>Les bibliothèques de la plateforme viennent du premier endroit nommé parmi
--library-path, QX5170FP_LIBRARY_PATH (dossiers séparés par &apos;:&apos;) et la clé
LibraryPath de $XDG_CONFIG_HOME/qx5170fp/qx5170fp.conf (par défaut
~/.config/...), sinon de qx5170fp/qx5170fp.conf dans $XDG_CONFIG_DIRS (par
défaut /etc/xdg)&#xa0;; un endroit nommé qui ne les contient pas arrête le
programme. Sans endroit nommé, les dossiers de l&apos;éditeur de liens dynamique
sont parcourus, puis la plateforme simulée est utilisée.</translation>
    </message>
    <message>
        <source>The toolkit&apos;s own options (-platform, -style, -display, ...) are accepted too.
Exit status: 0, also when the operator cancels or SIGTERM ends --headless;
1 when there is no display to show the panel on, when the platform libraries
are not where a place names them, when the port of --listen cannot be had,
when help or the version cannot be written, or when --headless cannot open
or find its card; 2 when the command line or its options file is wrong, or
when the card&apos;s fixture file cannot be used (it cannot be read, is not JSON
or breaks the format).</source>
        <extracomment>The end of --help, on a terminal: break lines before column 80, as the English does.</extracomment>
        <translation>Les options propres à la boîte à outils (-platform, -style, -display, ...) sont
aussi acceptées.
Code de sortie&#xa0;: 0, aussi quand l&apos;opérateur annule ou que SIGTERM arrête
--headless&#xa0;; 1&#xa0;quand il n&apos;y a aucun écran où afficher le panneau, quand les
bibliothèques de la plateforme ne sont pas là où un endroit les nomme, quand le
port de --listen ne peut pas être obtenu, quand l&apos;aide ou la version ne peut
pas être écrite, ou quand --headless ne peut pas ouvrir ou trouver sa carte&#xa0;;
2&#xa0;quand la ligne de commande ou son fichier d&apos;options est faux, ou quand le
fichier de fixture de la carte ne peut pas être utilisé (il ne peut pas être
lu, n&apos;est pas du JSON ou enfreint le format).</translation>
    </message>
</context>
<context>
    <name>ConnectionSequence</name>
    <message>
        <source>Please enter at least one resource descriptor and select the Function Card number.</source>
        <translation>Veuillez saisir au moins un descripteur de ressource et sélectionner le numéro de la carte de fonction.</translation>
    </message>
    <message>
        <source>Please enter the resource descriptors and select the Function Card numbers.</source>
        <translation>Veuillez saisir les descripteurs de ressource et sélectionner les numéros des cartes de fonction.</translation>
    </message>
    <message>
        <source>Please enter the resource descriptor and select the Function Card number.</source>
        <translation>Veuillez saisir le descripteur de ressource et sélectionner le numéro de la carte de fonction.</translation>
    </message>
    <message>
        <source>At least one selected %1 Function Card is unavailable.
Error: %2</source>
        <translation>Au moins une carte de fonction %1 sélectionnée est indisponible.
Erreur : %2</translation>
    </message>
    <message>
        <source>Selected %1 Function Card is unavailable.
Error: %2</source>
        <translation>La carte de fonction %1 sélectionnée est indisponible.
Erreur : %2</translation>
    </message>
    <message>
        <source>Try Again</source>
        <extracomment>Button: go back to the first question</extracomment>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Cancel</source>
        <extracomment>Button: give up connecting and end the program</extracomment>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>How to connect to %1 Function Card?</source>
        <extracomment>The first question; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Comment se connecter à la carte de fonction %1 ?</translation>
    </message>
    <message>
        <source>Auto Find</source>
        <extracomment>Button: search the system for cards</extracomment>
        <translation>Recherche auto</translation>
    </message>
    <message>
        <source>Run In Demo Mode</source>
        <translation>Lancer en mode démo</translation>
    </message>
    <message>
        <source>Enter Address</source>
        <extracomment>Button: type a card&apos;s VISA address</extracomment>
        <translation>Saisir l&apos;adresse</translation>
    </message>
    <message>
        <source>No %1 Function Card found on your system.</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Aucune carte de fonction %1 trouvée sur votre système.</translation>
    </message>
</context>
<context>
    <name>DriverStatusText</name>
    <message>
        <source>%1 failed due to [%2]</source>
        <extracomment>A driver call&apos;s error; %1 is the call (a function name), %2 the driver&apos;s text</extracomment>
        <translation>Échec de %1 : [%2]</translation>
    </message>
    <message>
        <source>Warning: [%1]</source>
        <extracomment>A driver call&apos;s warning; %1 is the driver&apos;s text</extracomment>
        <translation>Avertissement : [%1]</translation>
    </message>
</context>
<context>
    <name>Fixture</name>
    <message>
        <source>&quot;%1&quot; allows one of relays %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a list of relay numbers</extracomment>
        <translation>« %1 » n&apos;autorise qu&apos;un seul des relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relay %2</source>
        <extracomment>%1 is the name of a rule of the fixture, %2 a relay&apos;s number</extracomment>
        <translation>« %1 » interdit le relais %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; forbids relays %2</source>
        <translation>« %1 » interdit les relais %2</translation>
    </message>
    <message>
        <source>%1 has 1 to %2 characters, not %3</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 and %3 are counts of characters</extracomment>
        <translation>%1 a de 1 à %2 caractères, et non %3</translation>
    </message>
    <message>
        <source>%1 holds a control character (U+%2)</source>
        <extracomment>%1 names the text (&quot;a label&quot;), %2 is a character&apos;s code in hexadecimal</extracomment>
        <translation>%1 contient un caractère de contrôle (U+%2)</translation>
    </message>
    <message>
        <source>a sequence has 1 to %1 steps, not %2</source>
        <extracomment>%1 is the most steps a sequence may have, %2 the count it has</extracomment>
        <translation>une séquence a de 1 à %1 étapes, pas %2</translation>
    </message>
    <message>
        <source>step %1 waits %2 ms; a wait is 0 to %3 ms</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 and %3 are times in milliseconds</extracomment>
        <translation>l&apos;étape %1 attend %2 ms ; une attente dure de 0 à %3 ms</translation>
    </message>
    <message>
        <source>step %1 names no relay</source>
        <extracomment>%1 is a step&apos;s number (from 1)</extracomment>
        <translation>l&apos;étape %1 ne nomme aucun relais</translation>
    </message>
    <message>
        <source>step %1 names relay %2; the card has relays 1 to 32</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 a number that is no relay</extracomment>
        <translation>l&apos;étape %1 nomme le relais %2 ; la carte a les relais 1 à 32</translation>
    </message>
    <message>
        <source>step %1 names relay %2 twice</source>
        <extracomment>%1 is a step&apos;s number (from 1), %2 a relay&apos;s number</extracomment>
        <translation>l&apos;étape %1 nomme le relais %2 deux fois</translation>
    </message>
</context>
<context>
    <name>FixtureReader</name>
    <message>
        <source>a fixture is a JSON object</source>
        <translation>un montage est un objet JSON</translation>
    </message>
    <message>
        <source>a description</source>
        <translation>une description</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a relay of the card (&quot;1&quot; to &quot;32&quot;)</source>
        <extracomment>%1 is a key of the file that should have been a relay&apos;s number</extracomment>
        <translation>« %1 » n&apos;est pas un relais de la carte (« 1 » à « 32 »)</translation>
    </message>
    <message>
        <source>a relay is a whole number from 1 to 32</source>
        <translation>un relais est un nombre entier de 1 à 32</translation>
    </message>
    <message>
        <source>relays are listed in an array</source>
        <translation>les relais sont listés dans un tableau</translation>
    </message>
    <message>
        <source>relay %1 is listed twice</source>
        <extracomment>%1 is a relay&apos;s number</extracomment>
        <translation>le relais %1 est listé deux fois</translation>
    </message>
    <message>
        <source>at least one relay is needed</source>
        <translation>au moins un relais est nécessaire</translation>
    </message>
    <message>
        <source>at least %1 relays are needed</source>
        <extracomment>%1 is a number of relays, more than one</extracomment>
        <translation>au moins %1 relais sont nécessaires</translation>
    </message>
    <message>
        <source>%1 is a string</source>
        <extracomment>%1 names the value (&quot;a label&quot;)</extracomment>
        <translation>%1 est une chaîne de caractères</translation>
    </message>
    <message>
        <source>%1 is a JSON object</source>
        <extracomment>%1 names the value (&quot;a rule&quot;, or a key of the file)</extracomment>
        <translation>%1 est un objet JSON</translation>
    </message>
    <message>
        <source>a label</source>
        <translation>une étiquette</translation>
    </message>
    <message>
        <source>&quot;rules&quot; is a JSON array</source>
        <translation>&quot;rules&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a rule</source>
        <translation>une règle</translation>
    </message>
    <message>
        <source>a rule&apos;s name</source>
        <translation>le nom d&apos;une règle</translation>
    </message>
    <message>
        <source>a rule is either &quot;mutual&quot; or &quot;forbidden&quot;, not both</source>
        <translation>une règle est soit &quot;mutual&quot; soit &quot;forbidden&quot;, pas les deux</translation>
    </message>
    <message>
        <source>a rule needs a &quot;name&quot;</source>
        <translation>une règle a besoin d&apos;un &quot;name&quot;</translation>
    </message>
    <message>
        <source>a rule needs &quot;mutual&quot; or &quot;forbidden&quot; relays</source>
        <translation>une règle a besoin de relais &quot;mutual&quot; ou &quot;forbidden&quot;</translation>
    </message>
    <message>
        <source>a rated life is a whole number of closing cycles, 1 or more</source>
        <translation>une durée de vie nominale est un nombre entier de cycles de fermeture, 1 ou plus</translation>
    </message>
    <message>
        <source>the warning share is a whole percentage from 1 to 100</source>
        <translation>le seuil d&apos;avertissement est un pourcentage entier de 1 à 100</translation>
    </message>
    <message>
        <source>&quot;states&quot; is a JSON array</source>
        <translation>&quot;states&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a state</source>
        <translation>un état</translation>
    </message>
    <message>
        <source>a state&apos;s name</source>
        <translation>le nom d&apos;un état</translation>
    </message>
    <message>
        <source>the mode is &quot;asynchronous&quot;, &quot;sync-command&quot; or &quot;sync-trigger&quot;</source>
        <translation>le mode est &quot;asynchronous&quot;, &quot;sync-command&quot; ou &quot;sync-trigger&quot;</translation>
    </message>
    <message>
        <source>&quot;exclusive&quot; is true or false</source>
        <translation>&quot;exclusive&quot; vaut true ou false</translation>
    </message>
    <message>
        <source>a state needs a &quot;name&quot;</source>
        <translation>un état a besoin d&apos;un &quot;name&quot;</translation>
    </message>
    <message>
        <source>a state needs its &quot;closed&quot; relays (an empty array for none)</source>
        <translation>un état a besoin de ses relais &quot;closed&quot; (un tableau vide pour aucun)</translation>
    </message>
    <message>
        <source>both relays of pair %1 are closed under the exclusive rule</source>
        <extracomment>%1 is a pair&apos;s number</extracomment>
        <translation>les deux relais de la paire %1 sont fermés sous la règle exclusive</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by rule %2</source>
        <extracomment>%1 is a name, %2 the number of the rule (from 0) that has it</extracomment>
        <translation>le nom « %1 » est déjà pris par la règle %2</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by state %2</source>
        <extracomment>%1 is a name, %2 the number of the state (from 0) that has it</extracomment>
        <translation>le nom « %1 » est déjà pris par l&apos;état %2</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>ligne %1, colonne %2</translation>
    </message>
    <message>
        <source>not JSON: %1</source>
        <extracomment>%1 says the parser&apos;s reason, in English</extracomment>
        <translation>pas du JSON : %1</translation>
    </message>
    <message>
        <source>a number is too large to be read</source>
        <translation>un nombre est trop grand pour être lu</translation>
    </message>
    <message>
        <source>the key is given twice in one object</source>
        <translation>la clé figure deux fois dans un même objet</translation>
    </message>
    <message>
        <source>the file %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>le fichier %1</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; is taken by sequence %2</source>
        <extracomment>%1 is a name, %2 the number of the sequence (from 0) that has it</extracomment>
        <translation>le nom « %1 » est déjà pris par la séquence %2</translation>
    </message>
    <message>
        <source>&quot;sequences&quot; is a JSON array</source>
        <translation>&quot;sequences&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a sequence</source>
        <translation>une séquence</translation>
    </message>
    <message>
        <source>a sequence&apos;s name</source>
        <translation>le nom d&apos;une séquence</translation>
    </message>
    <message>
        <source>a sequence needs a &quot;name&quot;</source>
        <translation>une séquence a besoin d&apos;un &quot;name&quot;</translation>
    </message>
    <message>
        <source>a sequence needs its &quot;steps&quot;</source>
        <translation>une séquence a besoin de ses &quot;steps&quot;</translation>
    </message>
    <message>
        <source>&quot;steps&quot; is a JSON array</source>
        <translation>&quot;steps&quot; est un tableau JSON</translation>
    </message>
    <message>
        <source>a sequence has 1 to %1 steps, not %2</source>
        <extracomment>%1 is the most steps a sequence may have, %2 the count found</extracomment>
        <translation>une séquence a de 1 à %1 étapes, pas %2</translation>
    </message>
    <message>
        <source>a step</source>
        <translation>une étape</translation>
    </message>
    <message>
        <source>a step is one of &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; or &quot;wait&quot;, not two</source>
        <translation>une étape comporte une seule des clés &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; et &quot;wait&quot;, pas deux</translation>
    </message>
    <message>
        <source>&quot;update&quot; takes only true</source>
        <translation>&quot;update&quot; n&apos;accepte que la valeur true</translation>
    </message>
    <message>
        <source>a wait is a whole number of milliseconds from 0 to %1</source>
        <extracomment>%1 is the longest wait in milliseconds</extracomment>
        <translation>une attente est un nombre entier de millisecondes de 0 à %1</translation>
    </message>
    <message>
        <source>a step needs one of &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; or &quot;wait&quot;</source>
        <translation>une étape a besoin de l&apos;une des clés &quot;close&quot;, &quot;open&quot;, &quot;closeExclusive&quot;, &quot;update&quot; et &quot;wait&quot;</translation>
    </message>
</context>
<context>
    <name>LogTools</name>
    <message>
        <source>there is no such file</source>
        <translation>ce fichier n&apos;existe pas</translation>
    </message>
    <message>
        <source>the log %1 cannot be read: %2</source>
        <extracomment>%1 is the log&apos;s path, %2 says why</extracomment>
        <translation>le journal %1 ne peut pas être lu : %2</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>impossible d&apos;écrire sur la sortie standard : %1</translation>
    </message>
    <message>
        <source>the fixture %1 cannot be used, relays are named by number: %2</source>
        <extracomment>%1 is the fixture&apos;s path, %2 says why</extracomment>
        <translation>le montage %1 ne peut pas être utilisé, les relais sont nommés par leur numéro : %2</translation>
    </message>
    <message>
        <source>the fixture %1: there is no such file</source>
        <extracomment>%1 is the fixture&apos;s path</extracomment>
        <translation>le montage %1 : ce fichier n&apos;existe pas</translation>
    </message>
    <message>
        <source>its folder %1 does not exist</source>
        <extracomment>%1 is a folder&apos;s path</extracomment>
        <translation>son dossier %1 n&apos;existe pas</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>%1 ne peut pas être écrit : %2</translation>
    </message>
    <message numerus="yes">
        <source>the log %1: %n line is no switching event, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>
            <numerusform>le journal %1 : %n ligne n&apos;est pas un événement de commutation, ignorée</numerusform>
            <numerusform>le journal %1 : %n lignes ne sont pas des événements de commutation, ignorées</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>the log %1: %n lines are no switching events, left out</source>
        <extracomment>%1 is the log&apos;s path</extracomment>
        <translation>
            <numerusform>le journal %1 : %n ligne n&apos;est pas un événement de commutation, ignorée</numerusform>
            <numerusform>le journal %1 : %n lignes ne sont pas des événements de commutation, ignorées</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelRun</name>
    <message>
        <source>The panel ends. Mend or remove the file, then start the panel again.</source>
        <translation>Le panneau se termine. Corrigez ou supprimez le fichier, puis relancez le panneau.</translation>
    </message>
    <message>
        <source>The fixture %1 cannot be used: %2</source>
        <extracomment>%1 is the fixture&apos;s file, %2 says why</extracomment>
        <translation>Le montage %1 ne peut pas être utilisé : %2</translation>
    </message>
    <message>
        <source>Relay cycles are not counted: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Les cycles des relais ne sont pas comptés : %1</translation>
    </message>
    <message>
        <source>Relay cycles are not kept: %1</source>
        <extracomment>%1 says why</extracomment>
        <translation>Les cycles des relais ne sont pas enregistrés : %1</translation>
    </message>
</context>
<context>
    <name>RemoteCommands</name>
    <message numerus="yes">
        <source>Remote: %1, %n client</source>
        <extracomment>The panel&apos;s remote line: %1 is where it listens</extracomment>
        <translation>
            <numerusform>À distance : %1, %n client</numerusform>
            <numerusform>À distance : %1, %n clients</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Remote: %1, %n clients</source>
        <extracomment>The panel&apos;s remote line: %1 is where it listens</extracomment>
        <translation>
            <numerusform>À distance : %1, %n client</numerusform>
            <numerusform>À distance : %1, %n clients</numerusform>
        </translation>
    </message>
    <message>
        <source>, locked</source>
        <extracomment>Added to the remote line while a client holds the remote lock</extracomment>
        <translation>, verrouillé</translation>
    </message>
</context>
<context>
    <name>ResourceInfo</name>
    <message>
        <source>Slot %1 - %2 MB</source>
        <extracomment>A VXI system in the tree of cards found: %1 the slot, %2 the motherboard&apos;s model code</extracomment>
        <translation>Emplacement %1 - %2 MB</translation>
    </message>
</context>
<context>
    <name>ScanChannels</name>
    <message>
        <source>A channel is missing at the end</source>
        <translation>Il manque un canal à la fin</translation>
    </message>
    <message>
        <source>A channel is missing before &quot;%1&quot;</source>
        <extracomment>%1 is what follows in the list where a channel should be</extracomment>
        <translation>Il manque un canal avant « %1 »</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a channel: channels are 1 to 32</source>
        <extracomment>%1 is the text that was typed</extracomment>
        <translation>« %1 » n&apos;est pas un canal : les canaux vont de 1 à 32</translation>
    </message>
    <message>
        <source>The card has no channel %1: channels are 1 to 32</source>
        <translation>La carte n&apos;a pas de canal %1 : les canaux vont de 1 à 32</translation>
    </message>
    <message>
        <source>A group is not closed: &quot;)&quot; is missing</source>
        <translation>Un groupe n&apos;est pas fermé : « ) » manque</translation>
    </message>
    <message>
        <source>&quot;)&quot; closes no group</source>
        <translation>« ) » ne ferme aucun groupe</translation>
    </message>
    <message>
        <source>A comma is missing before &quot;%1&quot;</source>
        <extracomment>%1 is what follows an entry without a comma between</extracomment>
        <translation>Il manque une virgule avant « %1 »</translation>
    </message>
    <message>
        <source>A group cannot hold another group</source>
        <translation>Un groupe ne peut pas en contenir un autre</translation>
    </message>
    <message>
        <source>A group is empty</source>
        <translation>Un groupe est vide</translation>
    </message>
    <message>
        <source>Channel %1 is twice in one group</source>
        <extracomment>%1 is a channel&apos;s number</extracomment>
        <translation>Le canal %1 figure deux fois dans un groupe</translation>
    </message>
    <message>
        <source>A scan has at most %1 steps</source>
        <extracomment>%1 is the most steps a scan may have</extracomment>
        <translation>Un balayage a au plus %1 étapes</translation>
    </message>
</context>
<context>
    <name>SetPassword</name>
    <message>
        <source>Password: </source>
        <extracomment>asked on the terminal; what follows is typed without echo</extracomment>
        <translation>Mot de passe : </translation>
    </message>
    <message>
        <source>Again: </source>
        <extracomment>asked on the terminal for the same password once more</extracomment>
        <translation>Confirmation : </translation>
    </message>
    <message>
        <source>no password was read (one line, at most %1 bytes)</source>
        <extracomment>%1 is a number of bytes</extracomment>
        <translation>aucun mot de passe n&apos;a été lu (une ligne, au plus %1 octets)</translation>
    </message>
    <message>
        <source>the two passwords differ; nothing was written</source>
        <translation>les deux mots de passe diffèrent ; rien n&apos;a été écrit</translation>
    </message>
    <message>
        <source>an empty password is refused; nothing was written</source>
        <translation>un mot de passe vide est refusé ; rien n&apos;a été écrit</translation>
    </message>
    <message>
        <source>the password file %1 is not written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>le fichier de mots de passe %1 n&apos;est pas écrit : %2</translation>
    </message>
    <message>
        <source>the password file %1 cannot be written: %2</source>
        <extracomment>%1 is a file&apos;s path, %2 says why</extracomment>
        <translation>le fichier de mots de passe %1 ne peut pas être écrit : %2</translation>
    </message>
</context>
<context>
    <name>SfpMessages</name>
    <message>
        <source>Orbelan %1 SFP Info message</source>
        <extracomment>Title of an information box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Information</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP Warning message</source>
        <extracomment>Title of a warning box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Avertissement</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP Error message</source>
        <extracomment>Title of an error box; %1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP – Message d&apos;erreur</translation>
    </message>
    <message>
        <source>Do you want to exit?</source>
        <translation>Voulez-vous quitter le programme ?</translation>
    </message>
</context>
<context>
    <name>SwitchingLogView</name>
    <message>
        <source>Time</source>
        <translation>Heure</translation>
    </message>
    <message>
        <source>Source</source>
        <translation>Source</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Changement</translation>
    </message>
    <message>
        <source>Switching log</source>
        <translation>Journal de commutation</translation>
    </message>
    <message>
        <source>All sources</source>
        <translation>Toutes les sources</translation>
    </message>
    <message>
        <source>Copy as SCPI</source>
        <translation>Copier en SCPI</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>the button that closes the window</extracomment>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>&amp;Source:</source>
        <translation>&amp;Source :</translation>
    </message>
</context>
<context>
    <name>WebPanel</name>
    <message>
        <source>Orbelan 5170 front panel</source>
        <translation>Face avant Orbelan 5170</translation>
    </message>
    <message>
        <source>Connecting…</source>
        <extracomment>The page&apos;s first line until the live connection stands.</extracomment>
        <translation>Connexion…</translation>
    </message>
    <message>
        <source>Switching</source>
        <extracomment>The accessible name of the group of the switching controls.</extracomment>
        <translation>Commutation</translation>
    </message>
    <message>
        <source>Mode</source>
        <extracomment>The switching mode&apos;s list.</extracomment>
        <translation>Mode de commutation</translation>
    </message>
    <message>
        <source>Asynchronous</source>
        <translation>Asynchrone</translation>
    </message>
    <message>
        <source>Sync. Command</source>
        <translation>Sync. commande</translation>
    </message>
    <message>
        <source>Sync. Trigger</source>
        <translation>Sync. déclench.</translation>
    </message>
    <message>
        <source>Update</source>
        <extracomment>A button: applies the pending relay states (Sync. Command mode).</extracomment>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Trigger</source>
        <extracomment>A button: triggers the card (Sync. Trigger mode).</extracomment>
        <translation>Déclencher</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <extracomment>A lamp: the card&apos;s relays are as commanded.</extracomment>
        <translation>Synchronisé</translation>
    </message>
    <message>
        <source>Exclusive</source>
        <extracomment>A check box: at most one relay of a pair closed.</extracomment>
        <translation>Exclusif</translation>
    </message>
    <message>
        <source>User</source>
        <extracomment>A user name, to log in.</extracomment>
        <translation>Utilisateur</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Mot de passe</translation>
    </message>
    <message>
        <source>Log in</source>
        <translation>Se connecter</translation>
    </message>
    <message>
        <source>Relay pairs</source>
        <extracomment>The accessible name of the group of the 16 relay pairs.</extracomment>
        <translation>Paires de relais</translation>
    </message>
    <message>
        <source>About this instrument</source>
        <extracomment>A link to the welcome page.</extracomment>
        <translation>À propos de cet instrument</translation>
    </message>
    <message>
        <source>Synchronized: yes</source>
        <extracomment>The accessible name of the lamp.</extracomment>
        <translation>Synchronisé : oui</translation>
    </message>
    <message>
        <source>Synchronized: no</source>
        <translation>Synchronisé : non</translation>
    </message>
    <message>
        <source>Remote lock: nobody</source>
        <translation>Verrouillage à distance : personne</translation>
    </message>
    <message>
        <source>Remote lock: %1</source>
        <extracomment>%1: who holds the lock, e.g. &quot;web 10.1.2.3:40112 alice&quot;.</extracomment>
        <translation>Verrouillage à distance : %1</translation>
    </message>
    <message>
        <source>(demo)</source>
        <extracomment>After the card&apos;s title when no card is switched.</extracomment>
        <translation>(démo)</translation>
    </message>
    <message>
        <source>Pair %1</source>
        <extracomment>%1: the pair&apos;s number, 1 to 16.</extracomment>
        <translation>Paire %1</translation>
    </message>
    <message>
        <source>Pair %1 relay %2</source>
        <extracomment>%1: the pair&apos;s number, %2: the relay of the pair, A or B.</extracomment>
        <translation>Paire %1 relais %2</translation>
    </message>
    <message>
        <source>Relay %1 worn (%2 closings)</source>
        <extracomment>%1: the relay of the pair, A or B; %2: how often it has closed.</extracomment>
        <translation>Relais %1 usé (%2 fermetures)</translation>
    </message>
    <message>
        <source>Relay %1 wearing (%2 closings)</source>
        <extracomment>%1: the relay of the pair, A or B; %2: how often it has closed.</extracomment>
        <translation>Relais %1 en cours d&apos;usure (%2 fermetures)</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <extracomment>%1: the server&apos;s reason, in English.</extracomment>
        <translation>Refusé : %1</translation>
    </message>
    <message>
        <source>Not sent: the panel cannot be reached</source>
        <translation>Non envoyé : la face avant est injoignable</translation>
    </message>
    <message>
        <source>Read-only: %1</source>
        <extracomment>%1: why this page may not change the card, in English.</extracomment>
        <translation>Lecture seule : %1</translation>
    </message>
    <message>
        <source>Connected</source>
        <extracomment>The live connection to the panel stands.</extracomment>
        <translation>Connecté</translation>
    </message>
    <message>
        <source>Connection lost: reconnecting…</source>
        <translation>Connexion perdue : reconnexion…</translation>
    </message>
    <message>
        <source>Scan: step %1, sweep %2</source>
        <extracomment>Where the card&apos;s scan stands: %1 its step, %2 its sweep.</extracomment>
        <translation>Balayage : étape %1, passage %2</translation>
    </message>
    <message>
        <source>Scan: step %1, sweep %2, waiting for a trigger</source>
        <extracomment>The same while the scan waits for a trigger (*TRG).</extracomment>
        <translation>Balayage : étape %1, passage %2, en attente d’un déclenchement</translation>
    </message>
    <message>
        <source>Sequence &quot;%1&quot;: step %2</source>
        <extracomment>%1: the name of the stored sequence that runs, %2 its step.</extracomment>
        <translation>Séquence « %1 » : étape %2</translation>
    </message>
</context>
<context>
    <name>WebWelcomePage</name>
    <message>
        <source>Demo mode: no card is switched</source>
        <translation>Mode démo : aucune carte n&apos;est commutée</translation>
    </message>
    <message>
        <source>Model</source>
        <extracomment>A row of the instrument&apos;s table; the value is its model number.</extracomment>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>Manufacturer</source>
        <translation>Fabricant</translation>
    </message>
    <message>
        <source>Serial number (card id)</source>
        <translation>Numéro de série (identifiant de la carte)</translation>
    </message>
    <message>
        <source>%1 %2 32-channel relay card</source>
        <extracomment>%1: the manufacturer, %2: the model number.</extracomment>
        <translation>Carte relais 32 voies %1 %2</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Firmware revision</source>
        <translation>Révision du micrologiciel</translation>
    </message>
    <message>
        <source>Instrument driver revision</source>
        <translation>Révision du pilote d&apos;instrument</translation>
    </message>
    <message>
        <source>Common library revision</source>
        <translation>Révision de la bibliothèque commune</translation>
    </message>
    <message>
        <source>Soft front panel</source>
        <extracomment>The program&apos;s name; the value is its version.</extracomment>
        <translation>Face avant logicielle</translation>
    </message>
    <message>
        <source>Platform</source>
        <extracomment>Which libraries drive the card: the vendor&apos;s or the simulated ones.</extracomment>
        <translation>Plateforme</translation>
    </message>
    <message>
        <source>Host name</source>
        <translation>Nom d&apos;hôte</translation>
    </message>
    <message>
        <source>IP address</source>
        <translation>Adresse IP</translation>
    </message>
    <message>
        <source>VISA address</source>
        <translation>Adresse VISA</translation>
    </message>
    <message>
        <source>Open the front panel</source>
        <translation>Ouvrir la face avant</translation>
    </message>
    <message>
        <source>LXI identification</source>
        <translation>Identification LXI</translation>
    </message>
    <message>
        <source>the simulated platform that comes with the panel: no hardware is switched</source>
        <translation>la plateforme simulée fournie avec la face avant : aucun matériel n&apos;est commuté</translation>
    </message>
    <message>
        <source>the vendor&apos;s libraries (%1)</source>
        <extracomment>%1: the folder or installation the vendor&apos;s libraries were loaded from.</extracomment>
        <translation>les bibliothèques du fabricant (%1)</translation>
    </message>
</context>
<context>
    <name>qtLicense</name>
    <message>
        <source>Qt LGPL License</source>
        <translation>Licence LGPL de Qt</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>qx2010fp_About</name>
    <message>
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation>À propos d&apos;Orbelan %1 Soft Front Panel</translation>
    </message>
    <message>
        <source>Device Model:</source>
        <translation>Modèle de l&apos;appareil :</translation>
    </message>
    <message>
        <source>Revision:</source>
        <extracomment>The card&apos;s hardware revision</extracomment>
        <translation>Révision :</translation>
    </message>
    <message>
        <source>Serial Number:</source>
        <translation>Numéro de série :</translation>
    </message>
    <message>
        <source>&lt;font size=&apos;5&apos; bold&gt;Orbelan %1 VXIplug&amp;play Driver&lt;br&gt;Soft Front Panel Application&lt;/font&gt;</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170; the markup stays as it is</extracomment>
        <translation>&lt;font size=&apos;5&apos; bold&gt;Pilote VXIplug&amp;play Orbelan %1&lt;br&gt;Application Soft Front Panel&lt;/font&gt;</translation>
    </message>
    <message>
        <source>Used under License:</source>
        <translation>Utilisée sous licence :</translation>
    </message>
    <message>
        <source>Version (sources not modified):</source>
        <translation>Version (sources non modifiées) :</translation>
    </message>
    <message>
        <source>Qt Library</source>
        <translation>Bibliothèque Qt</translation>
    </message>
    <message>
        <source>Orbelan Common Library:</source>
        <translation>Orbelan Common Library :</translation>
    </message>
    <message>
        <source>Instrument Driver:</source>
        <translation>Pilote d&apos;instrument :</translation>
    </message>
    <message>
        <source>Soft Front Panel:</source>
        <translation>Soft Front Panel :</translation>
    </message>
    <message>
        <source>Software Revisions</source>
        <translation>Révisions du logiciel</translation>
    </message>
    <message>
        <source>Hardware Information</source>
        <translation>Informations sur le matériel</translation>
    </message>
    <message>
        <source>&lt; Previous</source>
        <extracomment>Button: the previous card&apos;s hardware information</extracomment>
        <translation>&lt; Précédent</translation>
    </message>
    <message>
        <source>Next &gt;</source>
        <extracomment>Button: the next card&apos;s hardware information</extracomment>
        <translation>Suivant &gt;</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>qx2010fp_AppFC</name>
    <message>
        <source> (simulated)</source>
        <extracomment>Follows a library&apos;s revision in the About box, e.g. &quot;1.4.0 (simulated)&quot;</extracomment>
        <translation> (simulé)</translation>
    </message>
    <message>
        <source>Shows which LXI module is connected to the Soft Front Panel</source>
        <translation>Indique quel module LXI est connecté au Soft Front Panel</translation>
    </message>
    <message>
        <source>Shows which VXI module is connected to the Soft Front Panel</source>
        <translation>Indique quel module VXI est connecté au Soft Front Panel</translation>
    </message>
    <message>
        <source>Shows which function card is connected to the Soft Front Panel</source>
        <translation>Indique quelle carte de fonction est connectée au Soft Front Panel</translation>
    </message>
    <message>
        <source>Simulated platform: no hardware is switched</source>
        <translation>Plateforme simulée : aucun matériel n&apos;est commuté</translation>
    </message>
</context>
<context>
    <name>qx2010fp_app</name>
    <message>
        <source>Enables/disables plot autorescale feature</source>
        <translation>Active/désactive la mise à l&apos;échelle automatique du tracé</translation>
    </message>
    <message>
        <source>Enables/disables visual identification mechanism</source>
        <translation>Active/désactive l&apos;identification visuelle</translation>
    </message>
    <message>
        <source>Starts the single-shot data acquisition</source>
        <translation>Démarre l&apos;acquisition de données unique</translation>
    </message>
    <message>
        <source>Starts the Single-Shot Data Acquisition</source>
        <translation>Démarre l&apos;acquisition de données unique</translation>
    </message>
    <message>
        <source>Breaks the Single-Shot Data Acquisition</source>
        <translation>Interrompt l&apos;acquisition de données unique</translation>
    </message>
    <message>
        <source>&lt;html&gt;Starts the repetitive data acquisition (or continuous data acquisition, when file storage option is turned on)&lt;/html&gt;</source>
        <translation>&lt;html&gt;Démarre l&apos;acquisition de données répétitive (ou continue, lorsque l&apos;enregistrement dans un fichier est activé)&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Stops the Data Acquisition process</source>
        <translation>Arrête l&apos;acquisition de données</translation>
    </message>
    <message>
        <source>ON</source>
        <extracomment>State of a toggle button</extracomment>
        <translation>MARCHE</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>ARRÊT</translation>
    </message>
    <message>
        <source>Active</source>
        <extracomment>LED that is lit while the panel drives a real card</extracomment>
        <translation>Actif</translation>
    </message>
    <message>
        <source>Green light means that the Soft Front Panel works
in Real (not Demo) mode.</source>
        <translation>Le voyant vert indique que le Soft Front Panel fonctionne
en mode réel (pas en mode démo).</translation>
    </message>
    <message>
        <source>Autoscale</source>
        <translation>Échelle auto</translation>
    </message>
    <message>
        <source>Identify</source>
        <translation>Identifier</translation>
    </message>
    <message>
        <source>Reset Device</source>
        <translation>Réinitialiser</translation>
    </message>
    <message>
        <source>Show on-line help for Instrument Soft Front Panel components</source>
        <translation>Affiche l&apos;aide en ligne sur les éléments du Soft Front Panel</translation>
    </message>
    <message>
        <source>About</source>
        <extracomment>Button that shows the About box</extracomment>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Displays &quot;About&quot; panel</source>
        <translation>Affiche la fenêtre « À propos »</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>Button that closes the main window and ends the program</extracomment>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Close main panel and terminates program</source>
        <translation>Ferme la fenêtre principale et quitte le programme</translation>
    </message>
    <message>
        <source>The panel runs on the simulated platform that comes with it: the relays it switches are simulated, no card&apos;s relays move.</source>
        <translation>Le panneau fonctionne sur la plateforme simulée livrée avec lui : les relais qu&apos;il commute sont simulés, aucun relais d&apos;une carte ne bouge.</translation>
    </message>
    <message>
        <source>Address of the SCPI remote control, the clients connected to it, and whether a client has locked the panel&apos;s controls.</source>
        <translation>Adresse de la commande à distance SCPI, les clients qui y sont connectés, et si un client a verrouillé les commandes du panneau.</translation>
    </message>
    <message>
        <source>Do you really want to exit?</source>
        <translation>Voulez-vous vraiment quitter ?</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcEnterAddress</name>
    <message>
        <source>Orbelan %1 SFP: Enter Addresses of Function Cards</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 6052</extracomment>
        <translation>Orbelan %1 SFP : saisir les adresses des cartes de fonction</translation>
    </message>
    <message>
        <source>Orbelan %1 SFP: Enter Function Card Address</source>
        <translation>Orbelan %1 SFP : saisir l&apos;adresse de la carte de fonction</translation>
    </message>
    <message>
        <source>Count: </source>
        <extracomment>Label of the box that says how many cards&apos; addresses are entered</extracomment>
        <translation>Nombre : </translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcEnterAddressFc</name>
    <message>
        <source>Enter the Instrument descriptor for the Function Card you want to connect to.&lt;br&gt;Examples:&lt;br&gt;&lt;b&gt;VXI0::1::INSTR&lt;/b&gt; - VXI mainframe 0, Module with Logical Address 1&lt;br&gt;&lt;b&gt;TCPIP::192.168.2.60::INSTR&lt;/b&gt; - Network Instrument with IP Address 192.168.2.60</source>
        <extracomment>Tool tip of the descriptor box; the descriptors and the markup stay as they are</extracomment>
        <translation>Saisissez le descripteur d&apos;instrument de la carte de fonction à laquelle vous voulez vous connecter.&lt;br&gt;Exemples :&lt;br&gt;&lt;b&gt;VXI0::1::INSTR&lt;/b&gt; - châssis VXI 0, module d&apos;adresse logique 1&lt;br&gt;&lt;b&gt;TCPIP::192.168.2.60::INSTR&lt;/b&gt; - instrument réseau d&apos;adresse IP 192.168.2.60</translation>
    </message>
    <message>
        <source>Instrument Descriptor:</source>
        <translation>Descripteur d&apos;instrument :</translation>
    </message>
    <message>
        <source>Function Card Number:</source>
        <translation>Numéro de carte de fonction :</translation>
    </message>
    <message>
        <source>Select</source>
        <extracomment>First entry of the card number box, before a number is chosen</extracomment>
        <translation>Choisir</translation>
    </message>
    <message>
        <source>Select the Function Card Number</source>
        <translation>Choisissez le numéro de la carte de fonction</translation>
    </message>
</context>
<context>
    <name>qx2010fp_fcSelect</name>
    <message>
        <source>Orbelan %1 SFP: Select Function Card</source>
        <extracomment>%1 is the card&apos;s model number, e.g. 5170</extracomment>
        <translation>Orbelan %1 SFP : sélectionner la carte de fonction</translation>
    </message>
    <message>
        <source>System</source>
        <extracomment>Headers of the tree of the cards found: the mainframe or LXI box, and the card&apos;s model</extracomment>
        <translation>Système</translation>
    </message>
    <message>
        <source>FC Model</source>
        <translation>Modèle FC</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Found more Function Cards than supported by this SoftFrontPanel. Only first %1 are available.
Please contact Tarvex&apos;s support if you need support for more cards.</source>
        <extracomment>%1 is the largest number of cards the panel takes, e.g. 8</extracomment>
        <translation>Plus de cartes de fonction trouvées que ce Soft Front Panel n&apos;en prend en charge. Seules les %1 premières sont disponibles.
Veuillez contacter le support de Tarvex si vous avez besoin de davantage de cartes.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
    <message>
        <source>Searching...</source>
        <extracomment>Progress of the search for cards</extracomment>
        <translation>Recherche en cours...</translation>
    </message>
</context>
<context>
    <name>qx2010fp_led</name>
    <message>
        <source>lit</source>
        <extracomment>What a screen reader says of the LED: its light is on or off</extracomment>
        <translation>allumé</translation>
    </message>
    <message>
        <source>unlit</source>
        <translation>éteint</translation>
    </message>
</context>
<context>
    <name>qx5170_fc</name>
    <message>
        <source>32-Channel Relay/Switching Function Card</source>
        <extracomment>The card&apos;s kind, under its model in the window&apos;s header and on the splash</extracomment>
        <translation>Carte de fonction relais/commutation 32 canaux</translation>
    </message>
</context>
<context>
    <name>qx5170_sfpRelayPair</name>
    <message>
        <source>Switch on or off relay %1</source>
        <extracomment>%1 is the relay&apos;s letter in its pair, A or B</extracomment>
        <translation>Active ou désactive le relais %1</translation>
    </message>
    <message>
        <source>Pair %1</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1</translation>
    </message>
    <message>
        <source>A:</source>
        <extracomment>the label of a pair&apos;s relay A</extracomment>
        <translation>A :</translation>
    </message>
    <message>
        <source>B:</source>
        <extracomment>the label of a pair&apos;s relay B</extracomment>
        <translation>B :</translation>
    </message>
    <message>
        <source>Pair %1 relay A</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1 relais A</translation>
    </message>
    <message>
        <source>Pair %1 relay B</source>
        <extracomment>%1 is the pair&apos;s number</extracomment>
        <translation>Paire %1 relais B</translation>
    </message>
    <message>
        <source>Label...</source>
        <translation>Étiquette...</translation>
    </message>
    <message>
        <source>
%1: closed %2 times of a rated %3</source>
        <extracomment>%1 is &quot;Worn out&quot; or &quot;Wearing&quot;, %2 and %3 counts of closings</extracomment>
        <translation>
%1 : fermé %2 fois sur %3 nominales</translation>
    </message>
    <message>
        <source>Worn out</source>
        <translation>Usé</translation>
    </message>
    <message>
        <source>Wearing</source>
        <translation>En usure</translation>
    </message>
    <message>
        <source>Relay label</source>
        <translation>Étiquette du relais</translation>
    </message>
    <message>
        <source>Label of pair %1 relay %2 (relay %3), up to %4 characters; empty for none:</source>
        <extracomment>%1 is the pair&apos;s number, %2 the relay&apos;s letter (A, B), %3 the relay&apos;s number, %4 the greatest number of characters of a label</extracomment>
        <translation>Étiquette de la paire %1 relais %2 (relais %3), jusqu&apos;à %4 caractères ; vide pour aucune :</translation>
    </message>
    <message>
        <source>The label was not changed: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>L&apos;étiquette n&apos;a pas été modifiée : %1.</translation>
    </message>
</context>
<context>
    <name>qx5170fp_App</name>
    <message>
        <source>Selects relays state update mode.
Possible modes: Asynchronous, Synch. Command, Synch. Trigger
Asynchronous - immediate update after changing relay state,
Synch. Command - update takes place after issuing command,
Synch. Trigger - update takes place after trigger activation.</source>
        <translation>Choisit quand l&apos;état des relais est appliqué.
Modes possibles : Asynchrone, Sync. commande, Sync. déclench.
Asynchrone – application immédiate après le changement d&apos;un relais,
Sync. commande – application après une commande de mise à jour,
Sync. déclench. – application après un signal de déclenchement.</translation>
    </message>
    <message>
        <source>Generates synchronization trigger signal.</source>
        <translation>Génère le signal de déclenchement de synchronisation.</translation>
    </message>
    <message>
        <source>Issues update command to update relays state in synchronous mode.</source>
        <translation>Envoie en mode synchrone la commande de mise à jour qui applique l&apos;état des relais.</translation>
    </message>
    <message>
        <source>Indicates if relays state was updated in synchronous mode.
Red color - not synchronized,
Green color - synchronized.
Always green in asynchronous mode.</source>
        <translation>Indique si l&apos;état des relais a été appliqué en mode synchrone.
Rouge – non synchronisé,
Vert – synchronisé.
Toujours vert en mode asynchrone.</translation>
    </message>
    <message>
        <source>Turns on exclusive mode. In this mode only one of the relays in pair can be switched on.</source>
        <translation>Active le mode exclusif. Dans ce mode, un seul des deux relais d&apos;une paire peut être activé.</translation>
    </message>
    <message>
        <source>Asynchronous</source>
        <translation>Asynchrone</translation>
    </message>
    <message>
        <source>Sync. Command</source>
        <translation>Sync. commande</translation>
    </message>
    <message>
        <source>Sync. Trigger</source>
        <translation>Sync. déclench.</translation>
    </message>
    <message>
        <source>Switching Mode Control</source>
        <translation>Mode de commutation</translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation>Déclencher</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Appliquer</translation>
    </message>
    <message>
        <source>Synchronized</source>
        <translation>Synchronisé</translation>
    </message>
    <message>
        <source>Exclusive</source>
        <translation>Exclusif</translation>
    </message>
    <message>
        <source>Refused: %1</source>
        <extracomment>%1 says why a change of the card was refused</extracomment>
        <translation>Refusé : %1</translation>
    </message>
    <message>
        <source>The switching log is not kept: %1</source>
        <extracomment>%1 says why, as the system says it</extracomment>
        <translation>Le journal de commutation n&apos;est pas tenu : %1</translation>
    </message>
    <message>
        <source>Switching log...</source>
        <translation>Journal de commutation...</translation>
    </message>
    <message>
        <source>Apply &quot;%1&quot;</source>
        <extracomment>%1 is the name of a state of the fixture</extracomment>
        <translation>Appliquer « %1 »</translation>
    </message>
    <message>
        <source>Save current state as...</source>
        <translation>Enregistrer l&apos;état actuel sous...</translation>
    </message>
    <message>
        <source>Save state</source>
        <translation>Enregistrer l&apos;état</translation>
    </message>
    <message>
        <source>Name of the state (the closed relays, the mode and the exclusive rule), up to %1 characters; a state of that name is replaced:</source>
        <extracomment>%1 is the greatest number of characters of a name</extracomment>
        <translation>Nom de l&apos;état (les relais fermés, le mode et la règle exclusive), jusqu&apos;à %1 caractères ; un état de ce nom est remplacé :</translation>
    </message>
    <message>
        <source>The state was not saved: %1.</source>
        <extracomment>%1 says why</extracomment>
        <translation>L&apos;état n&apos;a pas été enregistré : %1.</translation>
    </message>
    <message>
        <source>Scan...</source>
        <translation>Balayage...</translation>
    </message>
    <message>
        <source>Run sequence &quot;%1&quot;</source>
        <extracomment>%1 is the name of a stored sequence of the fixture</extracomment>
        <translation>Exécuter la séquence « %1 »</translation>
    </message>
</context>
<context>
    <name>sfp::ScanDialog</name>
    <message>
        <source>Immediate</source>
        <translation>Immédiat</translation>
    </message>
    <message>
        <source>Step button</source>
        <translation>Bouton « Étape »</translation>
    </message>
    <message>
        <source>Timer</source>
        <translation>Minuterie</translation>
    </message>
    <message>
        <source>Channels to scan, in order, e.g. 1,3:5,(7,9).
A channel or a range gives one step per channel,
channels in parentheses are closed together in one step.</source>
        <translation>Canaux à balayer, dans l&apos;ordre, p. ex. 1,3:5,(7,9).
Un canal ou une plage donne une étape par canal,
les canaux entre parenthèses sont fermés ensemble en une étape.</translation>
    </message>
    <message>
        <source>Settle time after the channels of a step close, before the step is complete; the same for every listed channel.</source>
        <translation>Temps de stabilisation après la fermeture des canaux d&apos;une étape, avant que l&apos;étape soit terminée ; le même pour chaque canal de la liste.</translation>
    </message>
    <message>
        <source>Selects what moves the scan to its next step.
Immediate - the next step follows once the last is complete,
Step button - the Step button or a script&apos;s trigger,
Timer - each step starts one interval after the one before.</source>
        <translation>Sélectionne ce qui fait passer le balayage à l&apos;étape suivante.
Immédiat - l&apos;étape suivante suit dès que la précédente est terminée,
Bouton « Étape » - le bouton Étape ou le déclenchement d&apos;un script,
Minuterie - chaque étape commence un intervalle après la précédente.</translation>
    </message>
    <message>
        <source>Time from the start of one step to the start of the next with the Timer.</source>
        <translation>Temps entre le début d&apos;une étape et le début de la suivante avec la minuterie.</translation>
    </message>
    <message>
        <source>Number of sweeps through the channel list.</source>
        <translation>Nombre de passages dans la liste des canaux.</translation>
    </message>
    <message>
        <source>Sweeps through the channel list until Stop is pressed.</source>
        <translation>Parcourt la liste des canaux jusqu&apos;à un appui sur « Arrêter ».</translation>
    </message>
    <message>
        <source>Applies the settings to the card and starts the scan.</source>
        <translation>Applique les réglages à la carte et démarre le balayage.</translation>
    </message>
    <message>
        <source>Takes the next step of a scan that waits for it.</source>
        <translation>Exécute l&apos;étape suivante d&apos;un balayage qui l&apos;attend.</translation>
    </message>
    <message>
        <source>Stops the scan or sequence at once; the scan&apos;s channels are opened.</source>
        <translation>Arrête aussitôt le balayage ou la séquence ; les canaux du balayage sont ouverts.</translation>
    </message>
    <message>
        <source>Shows the step and sweep of the scan or sequence, or how it ended.</source>
        <translation>Indique l&apos;étape et le passage du balayage ou de la séquence, ou comment ils se sont terminés.</translation>
    </message>
    <message>
        <source>&amp;No end</source>
        <translation>Sa&amp;ns fin</translation>
    </message>
    <message>
        <source>S&amp;tart</source>
        <translation>&amp;Démarrer</translation>
    </message>
    <message>
        <source>Ste&amp;p</source>
        <translation>É&amp;tape</translation>
    </message>
    <message>
        <source>St&amp;op</source>
        <translation>&amp;Arrêter</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Balayage</translation>
    </message>
    <message>
        <source>e.g. 1,3:5,(7,9)</source>
        <extracomment>An example of a channel list, as a script writes one</extracomment>
        <translation>p. ex. 1,3:5,(7,9)</translation>
    </message>
    <message>
        <source> ms</source>
        <extracomment>The unit after a time in milliseconds</extracomment>
        <translation> ms</translation>
    </message>
    <message>
        <source>&amp;Channels:</source>
        <translation>&amp;Canaux :</translation>
    </message>
    <message>
        <source>&amp;Settle time:</source>
        <translation>Temps de &amp;stabilisation :</translation>
    </message>
    <message>
        <source>T&amp;rigger:</source>
        <translation>Déc&amp;lenchement :</translation>
    </message>
    <message>
        <source>&amp;Interval:</source>
        <translation>&amp;Intervalle :</translation>
    </message>
    <message>
        <source>Co&amp;unt:</source>
        <translation>Nom&amp;bre :</translation>
    </message>
    <message>
        <source>Close</source>
        <extracomment>the button that closes the window</extracomment>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>Step %1 of %2, sweep %3 of %4</source>
        <translation>Étape %1 sur %2, passage %3 sur %4</translation>
    </message>
    <message>
        <source>Step %1 of %2, sweep %3</source>
        <extracomment>Where a scan without end stands: its step of all, its sweep</extracomment>
        <translation>Étape %1 sur %2, passage %3</translation>
    </message>
    <message>
        <source>%1. Waiting for Step</source>
        <extracomment>%1 says where the scan stands</extracomment>
        <translation>%1. En attente de « Étape »</translation>
    </message>
    <message>
        <source>Sequence: step %1</source>
        <extracomment>%1 is the number of the sequence&apos;s steps taken</extracomment>
        <translation>Séquence : étape %1</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>À l&apos;arrêt</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Arrêté</translation>
    </message>
    <message>
        <source>Ended: %1</source>
        <extracomment>%1 says why the card ended the scan or sequence</extracomment>
        <translation>Interrompu : %1</translation>
    </message>
    <message>
        <source>Not started: %1</source>
        <extracomment>%1 says why the scan was not started</extracomment>
        <translation>Non démarré : %1</translation>
    </message>
    <message>
        <source>Not stopped: %1</source>
        <extracomment>%1 says why the run was not stopped</extracomment>
        <translation>Non arrêté : %1</translation>
    </message>
    <message>
        <source>Waiting for the first Step</source>
        <translation>En attente de la première « Étape »</translation>
    </message>
</context>
</TS>
