<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
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
        <translation>Sync. déclenchement</translation>
    </message>
    <message>
        <source>Update</source>
        <extracomment>A button: applies the pending relay states (Sync. Command mode).</extracomment>
        <translation>Mettre à jour</translation>
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
    <name>qx2010fp_About</name>
    <message>
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
