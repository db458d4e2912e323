<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
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
    <name>ResourceInfo</name>
    <message>
        <source>Slot %1 - %2 MB</source>
        <extracomment>A VXI system in the tree of cards found: %1 the slot, %2 the motherboard&apos;s model code</extracomment>
        <translation>Emplacement %1 - %2 MB</translation>
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
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation>À propos de Orbelan %1 Soft Front Panel</translation>
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
</TS>
