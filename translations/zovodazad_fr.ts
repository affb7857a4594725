<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>AllowanceWatch</name>
    <message>
        <source>Under 30 % of the allowance left</source>
        <translation>Moins de 30 % du forfait restant</translation>
    </message>
    <message>
        <source>Under 15 % of the allowance left</source>
        <translation>Moins de 15 % du forfait restant</translation>
    </message>
    <message>
        <source>The allowance is used up</source>
        <translation>Le forfait est épuisé</translation>
    </message>
    <message>
        <source>Counted from %1.</source>
        <translation>Compté depuis le %1.</translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>cannot create the folder %1</source>
        <translation>impossible de créer le dossier %1</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>--%1 takes a date as YYYY-MM-DD, not &apos;%2&apos;</source>
        <translation>--%1 attend une date au format AAAA-MM-JJ, pas « %2 »</translation>
    </message>
    <message>
        <source>report takes one kind of report, not &apos;%1&apos;</source>
        <translation>report attend un seul type de rapport, pas « %1 »</translation>
    </message>
    <message>
        <source>unknown report &apos;%1&apos;; one of: %2</source>
        <translation>rapport inconnu « %1 » ; au choix : %2</translation>
    </message>
    <message>
        <source>--json and --csv exclude each other</source>
        <translation>--json et --csv s&apos;excluent mutuellement</translation>
    </message>
    <message>
        <source>--limit takes a whole number from 1 up, not &apos;%1&apos;</source>
        <translation>--limit attend un nombre entier à partir de 1, pas « %1 »</translation>
    </message>
    <message>
        <source>--adapter takes an adapter&apos;s name</source>
        <translation>--adapter attend le nom d&apos;un adaptateur</translation>
    </message>
    <message>
        <source>status takes no argument &apos;%1&apos;</source>
        <translation>status n&apos;accepte pas d&apos;argument « %1 »</translation>
    </message>
    <message>
        <source>--format knows only waybar, not &apos;%1&apos;</source>
        <translation>--format ne connaît que waybar, pas « %1 »</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>commande inconnue « %1 »</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>option inconnue « %1 »</translation>
    </message>
    <message>
        <source>Usage: zovodazad [command] [options]
A network-traffic monitor for the notification area. Without a command it starts the tray program.

Commands:
  report [KIND]      the traffic log, read-only; the tray program may run meanwhile
       summary       today, yesterday, this week, this month with an estimate for its end, this year,
                     all time (the default)
       hours         the last 24 hours; a log row that spans hours is shared among them by time
       days          the last 30 days
       weeks         the last 12 ISO weeks
       months        the last 12 months
       years         every year
       top           the 10 days with the most traffic
       allowance     the volume allowance: limit, used, left, its window, an estimate for the window&apos;s end
                     and what may be used a day; exit status 0 green, 1 orange, 2 red or used up,
                     4 no allowance set
     A report exits 5 when the traffic log cannot be found or read.
     --json          one JSON document (octets as integers, ISO dates, &quot;jsonversion&quot;: 1)
     --csv           comma-separated values with a header line
     --begin DATE    only periods from DATE on (YYYY-MM-DD)
     --end DATE      only periods up to DATE
     --limit N       the newest N periods
     --adapter NAME  only the traffic of one adapter, from the per-adapter log (rows from before it have
                     none); for allowance, the adapter to count instead of the one set in Options
     --database PATH another database than the tray program&apos;s
  status             the running program&apos;s current rates, the volumes since its last log row and the
                     allowance; exit status 3 when no copy runs
     --json          one JSON object
     --format waybar a line for waybar&apos;s custom module
     --watch         again every second, until interrupted

Options:
  -h, --help         this text
  -v, --version      the version
A row counts in the period its start lies in, as the statistics window counts it; the period being counted
counts as its last save left it (at most a minute old).
</source>
        <translation>Utilisation : zovodazad [commande] [options]
Un moniteur du trafic réseau pour la zone de notification. Sans commande, il lance le programme de la zone
de notification.

Commandes :
  report [TYPE]      le journal du trafic, en lecture seule ; le programme de la zone de notification
                     peut tourner pendant ce temps
       summary       aujourd&apos;hui, hier, cette semaine, ce mois avec une estimation pour sa fin, cette
                     année, depuis toujours (par défaut)
       hours         les 24 dernières heures ; une ligne du journal qui couvre plusieurs heures est
                     répartie entre elles selon le temps
       days          les 30 derniers jours
       weeks         les 12 dernières semaines ISO
       months        les 12 derniers mois
       years         chaque année
       top           les 10 jours au trafic le plus élevé
       allowance     le forfait de volume : limite, consommé, restant, sa période, une estimation pour
                     la fin de la période et ce qui peut être consommé par jour ; code de sortie 0 vert,
                     1 orange, 2 rouge ou épuisé, 4 aucun forfait défini
     Un rapport se termine avec 5 quand le journal du trafic est introuvable ou illisible.
     --json          un document JSON (octets en entiers, dates ISO, &quot;jsonversion&quot;: 1)
     --csv           des valeurs séparées par des virgules, avec une ligne d&apos;en-tête
     --begin DATE    seulement les périodes à partir de DATE (AAAA-MM-JJ)
     --end DATE      seulement les périodes jusqu&apos;à DATE
     --limit N       les N périodes les plus récentes
     --adapter NOM   seulement le trafic d&apos;un adaptateur, d&apos;après le journal par adaptateur (les lignes
                     antérieures n&apos;en ont pas) ; pour allowance, l&apos;adaptateur à compter au lieu de
                     celui défini dans les Options
     --database CHEMIN
                     une autre base de données que celle du programme de la zone de notification
  status             les débits actuels du programme en cours, les volumes depuis sa dernière ligne du
                     journal et le forfait ; code de sortie 3 quand aucune copie ne tourne
     --json          un objet JSON
     --format waybar une ligne pour le module personnalisé de waybar
     --watch         de nouveau chaque seconde, jusqu&apos;à interruption

Options :
  -h, --help         ce texte
  -v, --version      la version
Une ligne compte dans la période où tombe son début, comme le compte la fenêtre des statistiques ; la période
en cours compte telle que sa dernière sauvegarde l&apos;a laissée (vieille d&apos;une minute au plus).
</translation>
    </message>
    <message>
        <source>Try &apos;zovodazad --help&apos;.</source>
        <translation>Essayez « zovodazad --help ».</translation>
    </message>
    <message>
        <source>zovodazad: there is no traffic log at %1</source>
        <translation>zovodazad : il n&apos;y a pas de journal du trafic à %1</translation>
    </message>
    <message>
        <source>zovodazad: the traffic log %1 cannot be opened: %2</source>
        <translation>zovodazad : impossible d&apos;ouvrir le journal du trafic %1 : %2</translation>
    </message>
</context>
<context>
    <name>CsvExport</name>
    <message>
        <source>%1 already exists !<byte value="xd"/>
Overwrite ?</source>
        <translation>%1 existe déjà !<byte value="xd"/>
L&apos;écraser ?</translation>
    </message>
    <message>
        <source>Continue ?</source>
        <translation>Continuer ?</translation>
    </message>
    <message>
        <source>Export Failed</source>
        <translation>Échec de l&apos;export</translation>
    </message>
    <message>
        <source>Export Succeeded !</source>
        <translation>Export réussi !</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Réussi !</translation>
    </message>
    <message>
        <source>Failed :-(</source>
        <translation>Échec :-(</translation>
    </message>
</context>
<context>
    <name>DatabaseFile</name>
    <message>
        <source>The file is a database, but not a Zovodazad traffic log: its tables are missing.</source>
        <translation>Le fichier est une base de données, mais pas un journal du trafic de Zovodazad : ses tables manquent.</translation>
    </message>
    <message>
        <source>The database file is damaged (%1).</source>
        <translation>Le fichier de base de données est endommagé (%1).</translation>
    </message>
    <message>
        <source>The database was written by a newer version of Zovodazad.</source>
        <translation>La base de données a été écrite par une version plus récente de Zovodazad.</translation>
    </message>
    <message>
        <source>The per-adapter traffic log had a shape this version does not know. It is kept as table %1, and a new one is kept from now on; the rows before have no per-adapter figures.</source>
        <translation>Le journal du trafic par adaptateur avait une forme que cette version ne connaît pas. Il est conservé dans la table %1, et un nouveau est tenu à partir de maintenant ; les lignes antérieures n&apos;ont pas de chiffres par adaptateur.</translation>
    </message>
    <message>
        <source>The per-adapter traffic log was missing from the database. A new one is kept from now on; the rows before have no per-adapter figures.</source>
        <translation>Le journal du trafic par adaptateur manquait dans la base de données. Un nouveau est tenu à partir de maintenant ; les lignes antérieures n&apos;ont pas de chiffres par adaptateur.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to, so the database cannot be created there.</source>
        <translation>Impossible d&apos;écrire dans le dossier %1 : la base de données ne peut pas y être créée.</translation>
    </message>
    <message>
        <source>The database %1 was deleted while Zovodazad was running, or moved to another drive.</source>
        <translation>La base de données %1 a été supprimée pendant que Zovodazad tournait, ou déplacée vers un autre disque.</translation>
    </message>
    <message>
        <source>The file now at %1 is used by another copy of Zovodazad.</source>
        <translation>Le fichier qui se trouve maintenant à %1 est utilisé par une autre copie de Zovodazad.</translation>
    </message>
    <message>
        <source>The traffic is logged in the file now at its place.</source>
        <translation>Le trafic est consigné dans le fichier qui se trouve maintenant à sa place.</translation>
    </message>
    <message>
        <source>A new database was made there for the traffic from now on.</source>
        <translation>Une nouvelle base de données y a été créée pour le trafic à partir de maintenant.</translation>
    </message>
    <message>
        <source>The database file cannot be read: %1</source>
        <translation>Impossible de lire le fichier de base de données : %1</translation>
    </message>
    <message>
        <source>The database %1 is a link to %2, which cannot be reached (%3).</source>
        <translation>La base de données %1 est un lien vers %2, qui est inaccessible (%3).</translation>
    </message>
    <message>
        <source>The database file is empty.</source>
        <translation>Le fichier de base de données est vide.</translation>
    </message>
    <message>
        <source>The file is not a database.</source>
        <translation>Le fichier n&apos;est pas une base de données.</translation>
    </message>
    <message>
        <source>The database file is read-only, so no traffic could be logged.</source>
        <translation>Le fichier de base de données est en lecture seule : aucun trafic ne pourrait être consigné.</translation>
    </message>
    <message>
        <source>The folder %1 is read-only, so the database cannot be written.</source>
        <translation>Le dossier %1 est en lecture seule : la base de données ne peut pas être écrite.</translation>
    </message>
</context>
<context>
    <name>DatabaseReset</name>
    <message>
        <source>All DATA will be erased !!!!<byte value="xd"/>
Are you sure ?</source>
        <translation>TOUTES les DONNÉES seront effacées !!!!<byte value="xd"/>
Êtes-vous sûr ?</translation>
    </message>
    <message>
        <source>Are you sure ?</source>
        <translation>Êtes-vous sûr ?</translation>
    </message>
    <message>
        <source>Cleared Database !</source>
        <translation>Base de données vidée !</translation>
    </message>
    <message>
        <source>Success !</source>
        <translation>Réussi !</translation>
    </message>
    <message>
        <source>Cleanup failed !</source>
        <translation>Échec du nettoyage !</translation>
    </message>
    <message>
        <source>Error.</source>
        <translation>Erreur.</translation>
    </message>
</context>
<context>
    <name>DbConnection</name>
    <message>
        <source>The database %1 is not open.</source>
        <translation>La base de données %1 n&apos;est pas ouverte.</translation>
    </message>
    <message>
        <source>The database %1 was deleted while Zovodazad was running, or moved to another drive.</source>
        <translation>La base de données %1 a été supprimée pendant que Zovodazad tournait, ou déplacée vers un autre disque.</translation>
    </message>
    <message>
        <source>The database was moved to %1 while Zovodazad was running. The traffic goes on being logged there until Zovodazad ends; its next start uses %2.</source>
        <translation>La base de données a été déplacée vers %1 pendant que Zovodazad tournait. Le trafic continue d&apos;y être consigné jusqu&apos;à la fin de Zovodazad ; son prochain démarrage utilisera %2.</translation>
    </message>
    <message>
        <source>The database was moved to %1 while another program was reading it.</source>
        <translation>La base de données a été déplacée vers %1 pendant qu&apos;un autre programme la lisait.</translation>
    </message>
</context>
<context>
    <name>FrmAbout</name>
    <message>
        <source>Zovodazad %1
Network traffic monitor

Licence: GNU General Public License, version 3 or later

Database:</source>
        <translation>Zovodazad %1
Moniteur du trafic réseau

Licence : GNU General Public License, version 3 ou ultérieure

Base de données :</translation>
    </message>
    <message>
        <source>Open &amp;Folder</source>
        <translation>Ouvrir le &amp;dossier</translation>
    </message>
</context>
<context>
    <name>FrmMain</name>
    <message>
        <source>Monitor &amp;On.</source>
        <translation>&amp;Afficher le moniteur.</translation>
    </message>
    <message>
        <source>Monitor &amp;Off.</source>
        <translation>&amp;Masquer le moniteur.</translation>
    </message>
    <message>
        <source>In :</source>
        <translation>Reçu :</translation>
    </message>
    <message>
        <source>Out :</source>
        <translation>Émis :</translation>
    </message>
    <message>
        <source>Received since the last log row</source>
        <translation>Reçu depuis la dernière ligne du journal</translation>
    </message>
    <message>
        <source>Sent since the last log row</source>
        <translation>Envoyé depuis la dernière ligne du journal</translation>
    </message>
    <message>
        <source>50 % left - 20 MB Left</source>
        <translation>50 % restant - 20 MB restants</translation>
    </message>
    <message>
        <source>Download graph</source>
        <translation>Graphique de réception</translation>
    </message>
    <message>
        <source>Upload graph</source>
        <translation>Graphique d&apos;envoi</translation>
    </message>
    <message>
        <source>O&amp;ptions</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>&amp;Volume Graphs</source>
        <translation>&amp;Graphiques de volume</translation>
    </message>
    <message>
        <source>&amp;Reset Counters.</source>
        <translation>&amp;Remettre les compteurs à zéro.</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>À &amp;propos</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Masquer</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Aucun programme n&apos;a pu ouvrir le dossier %1.</translation>
    </message>
    <message>
        <source>Now %1, full height %2</source>
        <translation>Maintenant %1, pleine hauteur %2</translation>
    </message>
</context>
<context>
    <name>FrmOptions</name>
    <message>
        <source><byte value="xd"/>
Caution !<byte value="xd"/>
<byte value="xd"/>
When you reset the database,<byte value="xd"/>
all data is cleared.<byte value="xd"/>
The data can not be recovered.</source>
        <translation><byte value="xd"/>
Attention !<byte value="xd"/>
<byte value="xd"/>
Si vous réinitialisez la base de données,<byte value="xd"/>
toutes les données sont effacées.<byte value="xd"/>
Elles ne peuvent pas être récupérées.</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Général</translation>
    </message>
    <message>
        <source>Adapters</source>
        <translation>Adaptateurs</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Réinitialiser</translation>
    </message>
    <message>
        <source>Volume Left</source>
        <translation>Volume restant</translation>
    </message>
    <message>
        <source>Options.</source>
        <translation>Options.</translation>
    </message>
    <message>
        <source>Select Adapter(s) to be logged :</source>
        <translation>Choisir le ou les adaptateurs à consigner :</translation>
    </message>
    <message>
        <source>General Options - Export Logs.</source>
        <translation>Options générales - Exporter les journaux.</translation>
    </message>
    <message>
        <source>Log and Reset Counters before showing Graphs.</source>
        <translation>Consigner et remettre les compteurs à zéro avant les graphiques.</translation>
    </message>
    <message>
        <source>Show Kbps/s - Mbps/s iso kBps.</source>
        <translation>Afficher Kbps/s - Mbps/s au lieu de kBps.</translation>
    </message>
    <message>
        <source>Show volume left on Monitor window.</source>
        <translation>Afficher le volume restant dans le moniteur.</translation>
    </message>
    <message>
        <source>Export logs to CSV :</source>
        <translation>Exporter les journaux en CSV :</translation>
    </message>
    <message>
        <source>Export Log :</source>
        <translation>Journal :</translation>
    </message>
    <message>
        <source>Per Day (MB)</source>
        <translation>Par jour (MB)</translation>
    </message>
    <message>
        <source>Per Week (GB)</source>
        <translation>Par semaine (GB)</translation>
    </message>
    <message>
        <source>Per Month (GB)</source>
        <translation>Par mois (GB)</translation>
    </message>
    <message>
        <source>Per Year (GB)</source>
        <translation>Par an (GB)</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Parcourir</translation>
    </message>
    <message>
        <source>Export !</source>
        <translation>Exporter !</translation>
    </message>
    <message>
        <source>Start Zovodazad when I log in.</source>
        <translation>Lancer Zovodazad à l&apos;ouverture de session.</translation>
    </message>
    <message>
        <source>Draw the graphs in blue and orange.</source>
        <translation>Dessiner les graphiques en bleu et orange.</translation>
    </message>
    <message>
        <source>The icon shows :</source>
        <translation>L&apos;icône montre :</translation>
    </message>
    <message>
        <source>The program&apos;s picture</source>
        <translation>L&apos;image du programme</translation>
    </message>
    <message>
        <source>A graph of the last seconds</source>
        <translation>Un graphique des dernières secondes</translation>
    </message>
    <message>
        <source>The download rate</source>
        <translation>Le débit de réception</translation>
    </message>
    <message>
        <source>Clear Database</source>
        <translation>Vider la base de données</translation>
    </message>
    <message>
        <source>Maximum volume allowed (MB) :</source>
        <translation>Volume maximal autorisé (MB) :</translation>
    </message>
    <message>
        <source>Track volume during last :</source>
        <translation>Période de suivi du volume :</translation>
    </message>
    <message>
        <source>Day(s)</source>
        <translation>Jour(s)</translation>
    </message>
    <message>
        <source>Week(s)</source>
        <translation>Semaine(s)</translation>
    </message>
    <message>
        <source>Month(s)-%1/mm</source>
        <translation>Mois (dès le %1)</translation>
    </message>
    <message>
        <source>Billing day of the month :</source>
        <translation>Jour de facturation du mois :</translation>
    </message>
    <message>
        <source>Notify at 30 %, 15 % and 0 % left.</source>
        <translation>Avertir à 30 %, 15 % et 0 % restants.</translation>
    </message>
    <message>
        <source>Starting from</source>
        <translation>À partir du</translation>
    </message>
    <message>
        <source>Count the traffic of :</source>
        <translation>Compter le trafic de :</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>All counted adapters</source>
        <translation>Tous les adaptateurs comptés</translation>
    </message>
    <message>
        <source>!!! CAUTION !!!</source>
        <translation>!!! ATTENTION !!!</translation>
    </message>
    <message>
        <source>Starting from %1</source>
        <translation>À partir du %1</translation>
    </message>
    <message>
        <source>These settings could not be saved: %1.<byte value="xd"/>
The database reported: %2</source>
        <translation>Ces réglages n&apos;ont pas pu être enregistrés : %1.<byte value="xd"/>
La base de données a signalé : %2</translation>
    </message>
    <message>
        <source>Select the Directory where the CSV Files have to be saved.</source>
        <translation>Choisissez le dossier où enregistrer les fichiers CSV.</translation>
    </message>
    <message>
        <source>%1 could not be changed: %2</source>
        <translation>%1 n&apos;a pas pu être modifié : %2</translation>
    </message>
    <message>
        <source>%1 was changed by hand. Replace it with Zovodazad&apos;s own entry?</source>
        <translation>%1 a été modifié à la main. Le remplacer par l&apos;entrée de Zovodazad ?</translation>
    </message>
    <message>
        <source>%1 was changed by hand. Remove it?</source>
        <translation>%1 a été modifié à la main. Le supprimer ?</translation>
    </message>
    <message>
        <source>Export the traffic of :</source>
        <translation>Exporter le trafic de :</translation>
    </message>
</context>
<context>
    <name>FrmStats</name>
    <message>
        <source>Wk %1</source>
        <translation>Sem. %1</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Envoi</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Réception</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>Week %1, %2</source>
        <translation>Semaine %1, %2</translation>
    </message>
    <message>
        <source>Stack</source>
        <translation>Empiler</translation>
    </message>
    <message>
        <source>Show:</source>
        <translation>Afficher :</translation>
    </message>
    <message>
        <source>No traffic logged in this period.</source>
        <translation>Aucun trafic consigné sur cette période.</translation>
    </message>
    <message>
        <source>&lt; &amp;Earlier</source>
        <translation>&lt; &amp;Précédent</translation>
    </message>
    <message>
        <source>&amp;Later &gt;</source>
        <translation>&amp;Suivant &gt;</translation>
    </message>
    <message>
        <source>&amp;Now</source>
        <translation>&amp;Maintenant</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copier</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Zovodazad, Keeps an eye on your downloads...</source>
        <translation>Zovodazad, garde un œil sur vos téléchargements...</translation>
    </message>
    <message>
        <source>&amp;Table</source>
        <translation>&amp;Tableau</translation>
    </message>
    <message>
        <source>Earlier periods (Page Up)</source>
        <translation>Périodes précédentes (Page précédente)</translation>
    </message>
    <message>
        <source>Later periods (Page Down)</source>
        <translation>Périodes suivantes (Page suivante)</translation>
    </message>
    <message>
        <source>Chart dimensions</source>
        <translation>Dimensions du graphique</translation>
    </message>
    <message>
        <source>Adapter</source>
        <translation>Adaptateur</translation>
    </message>
    <message>
        <source>Chart type</source>
        <translation>Type de graphique</translation>
    </message>
    <message>
        <source>Volume chart</source>
        <translation>Graphique du volume</translation>
    </message>
    <message>
        <source>3D</source>
        <translation>3D</translation>
    </message>
    <message>
        <source>2D</source>
        <translation>2D</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Aires</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Lignes</translation>
    </message>
    <message>
        <source>Bars</source>
        <translation>Barres</translation>
    </message>
    <message>
        <source>Volume Per Day (MB)</source>
        <translation>Volume par jour (MB)</translation>
    </message>
    <message>
        <source>Volume Per Week (GB)</source>
        <translation>Volume par semaine (GB)</translation>
    </message>
    <message>
        <source>Volume Per Month (GB)</source>
        <translation>Volume par mois (GB)</translation>
    </message>
    <message>
        <source>Volume Per Year (GB)</source>
        <translation>Volume par an (GB)</translation>
    </message>
    <message>
        <source>The traffic log could not be read:
%1</source>
        <translation>Le journal du trafic n&apos;a pas pu être lu :
%1</translation>
    </message>
    <message>
        <source>Not recorded per adapter in this period.</source>
        <translation>Non enregistré par adaptateur sur cette période.</translation>
    </message>
    <message>
        <source>Not recorded per adapter before %1.</source>
        <translation>Non enregistré par adaptateur avant le %1.</translation>
    </message>
    <message>
        <source>All counted adapters</source>
        <translation>Tous les adaptateurs comptés</translation>
    </message>
    <message>
        <source>Received: %1</source>
        <translation>Reçu : %1</translation>
    </message>
    <message>
        <source>Sent: %1</source>
        <translation>Envoyé : %1</translation>
    </message>
    <message>
        <source>Total: %1</source>
        <translation>Total : %1</translation>
    </message>
    <message>
        <source>Estimate at the month&apos;s end: %1</source>
        <translation>Estimation à la fin du mois : %1</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Période</translation>
    </message>
    <message>
        <source>Received (%1)</source>
        <translation>Reçu (%1)</translation>
    </message>
    <message>
        <source>Sent (%1)</source>
        <translation>Envoyé (%1)</translation>
    </message>
    <message>
        <source>Total (%1)</source>
        <translation>Total (%1)</translation>
    </message>
</context>
<context>
    <name>InstanceLock</name>
    <message>
        <source>%1 is too long a name for a socket&apos;s folder.</source>
        <translation>%1 est un nom trop long pour le dossier d&apos;un socket.</translation>
    </message>
    <message>
        <source>%1 is a symbolic link, not a folder.</source>
        <translation>%1 est un lien symbolique, pas un dossier.</translation>
    </message>
    <message>
        <source>%1 is not a folder.</source>
        <translation>%1 n&apos;est pas un dossier.</translation>
    </message>
    <message>
        <source>%1 belongs to another user (uid %2).</source>
        <translation>%1 appartient à un autre utilisateur (uid %2).</translation>
    </message>
    <message>
        <source>%1 is open to other users (mode %2).</source>
        <translation>%1 est ouvert aux autres utilisateurs (mode %2).</translation>
    </message>
    <message>
        <source>it is held by process %1 of this user</source>
        <translation>il est utilisé par le processus %1 de cet utilisateur</translation>
    </message>
    <message>
        <source>it is held by process %1 of another user (uid %2)</source>
        <translation>il est utilisé par le processus %1 d&apos;un autre utilisateur (uid %2)</translation>
    </message>
    <message>
        <source>The name %1 cannot be used: %2.</source>
        <translation>Le nom %1 ne peut pas être utilisé : %2.</translation>
    </message>
    <message>
        <source>Zovodazad cannot be reached by a second start, which will only say that it is already running.</source>
        <translation>Un second démarrage ne peut pas joindre Zovodazad ; il indiquera seulement qu&apos;il tourne déjà.</translation>
    </message>
    <message>
        <source>A second start reaches Zovodazad at %1.</source>
        <translation>Un second démarrage joint Zovodazad à %1.</translation>
    </message>
    <message>
        <source> and </source>
        <translation> et </translation>
    </message>
    <message>
        <source>Not every name for reaching the running Zovodazad could be used:
%1
%2</source>
        <translation>Tous les noms permettant de joindre Zovodazad en cours n&apos;ont pas pu être utilisés :
%1
%2</translation>
    </message>
</context>
<context>
    <name>LogChart</name>
    <message>
        <source>3-D charts need OpenGL, which is not available; drawn flat.</source>
        <translation>Les graphiques 3D nécessitent OpenGL, qui n&apos;est pas disponible ; dessiné à plat.</translation>
    </message>
    <message>
        <source>Estimate</source>
        <translation>Estimation</translation>
    </message>
</context>
<context>
    <name>LogWriter</name>
    <message>
        <source>The traffic log could not be written:
%1

The traffic is kept and will be written with the next row.</source>
        <translation>Le journal du trafic n&apos;a pas pu être écrit :
%1

Le trafic est conservé et sera écrit avec la ligne suivante.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB are not logged.</source>
        <translation>La dernière ligne du journal du trafic n&apos;a pas pu être écrite :
%1

Ses %2 MB ne sont pas consignés.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB are kept in %3 and will be logged at the next start.</source>
        <translation>La dernière ligne du journal du trafic n&apos;a pas pu être écrite :
%1

Ses %2 MB sont conservés dans %3 et seront consignés au prochain démarrage.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB could not be kept either (%3); the next start logs the traffic up to the last save of the period.</source>
        <translation>La dernière ligne du journal du trafic n&apos;a pas pu être écrite :
%1

Ses %2 MB n&apos;ont pas pu être conservés non plus (%3) ; le prochain démarrage consignera le trafic jusqu&apos;à la dernière sauvegarde de la période.</translation>
    </message>
</context>
<context>
    <name>MainMdl</name>
    <message>
        <source>Database Init Error!<byte value="xd"/>%1</source>
        <translation>Erreur d&apos;initialisation de la base de données !<byte value="xd"/>%1</translation>
    </message>
</context>
<context>
    <name>PeriodJournal</name>
    <message>
        <source>Traffic kept aside by an earlier run could not be read:
%1
It is not logged, and %2 is left as it is. This run&apos;s traffic is saved as usual.</source>
        <translation>Le trafic mis de côté par une exécution précédente n&apos;a pas pu être lu :
%1
Il n&apos;est pas consigné, et %2 est laissé tel quel. Le trafic de cette exécution est sauvegardé comme d&apos;habitude.</translation>
    </message>
    <message>
        <source>Not all of %1 could be logged.</source>
        <translation>%1 n&apos;a pas pu être consigné entièrement.</translation>
    </message>
    <message numerus="yes">
        <source>Lines that are damaged, cut short or dated ahead of the clock: %n.</source>
        <translation>
            <numerusform>Ligne endommagée, tronquée ou datée dans le futur : %n.</numerusform>
            <numerusform>Lignes endommagées, tronquées ou datées dans le futur : %n.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>It is longer than any run leaves: what lies past its first %n lines or %1 KiB is not read.</source>
        <translation>
            <numerusform>Il est plus long que ce que laisse une exécution : au-delà de %n ligne ou de %1 KiB, rien n&apos;est lu.</numerusform>
            <numerusform>Il est plus long que ce que laisse une exécution : au-delà de %n lignes ou de %1 KiB, rien n&apos;est lu.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Lines logged: %n.</source>
        <translation>
            <numerusform>Ligne consignée : %n.</numerusform>
            <numerusform>Lignes consignées : %n.</numerusform>
        </translation>
    </message>
    <message>
        <source>The whole file is kept as %1.</source>
        <translation>Le fichier entier est conservé sous le nom %1.</translation>
    </message>
    <message>
        <source>The file is left as it is: it could not be renamed to %1 (%2).</source>
        <translation>Le fichier est laissé tel quel : il n&apos;a pas pu être renommé en %1 (%2).</translation>
    </message>
</context>
<context>
    <name>Readouts</name>
    <message>
        <source> (Avg: %1 - Max: %2)</source>
        <translation> (moy. %1 - max. %2)</translation>
    </message>
    <message>
        <source>No adapter counted: choose one in Options, Adapters.</source>
        <translation>Aucun adaptateur compté : voir Options, Adaptateurs.</translation>
    </message>
    <message>
        <source>Download: %1, upload: %2</source>
        <translation>Réception : %1, envoi : %2</translation>
    </message>
    <message>
        <source>Since the last log row: %1</source>
        <translation>Depuis la dernière ligne du journal : %1</translation>
    </message>
    <message>
        <source>%1: %2 down, %3 up, %4</source>
        <translation>%1 : %2 reçus, %3 envoyés, %4</translation>
    </message>
    <message>
        <source>Allowance: %1</source>
        <translation>Forfait : %1</translation>
    </message>
    <message>
        <source>Graph Max: %1</source>
        <translation>Max. du graphique : %1</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>%1 is a folder, not a file.</source>
        <translation>%1 est un dossier, pas un fichier.</translation>
    </message>
    <message>
        <source>%1 is not a regular file (it is a pipe, a device or a socket).</source>
        <translation>%1 n&apos;est pas un fichier ordinaire (c&apos;est un tube, un périphérique ou un socket).</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>received</source>
        <translation>reçu</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>envoyé</translation>
    </message>
    <message>
        <source>total</source>
        <translation>total</translation>
    </message>
    <message>
        <source>estimate for the month: %1</source>
        <translation>estimation pour le mois : %1</translation>
    </message>
    <message>
        <source>today</source>
        <translation>aujourd&apos;hui</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>hier</translation>
    </message>
    <message>
        <source>this week (from %1)</source>
        <translation>cette semaine (depuis %1)</translation>
    </message>
    <message>
        <source>all time (since %1)</source>
        <translation>depuis toujours (depuis le %1)</translation>
    </message>
    <message>
        <source>zovodazad: the settings cannot be read: %1</source>
        <translation>zovodazad : impossible de lire les réglages : %1</translation>
    </message>
    <message>
        <source>zovodazad: the traffic log cannot be read: %1</source>
        <translation>zovodazad : impossible de lire le journal du trafic : %1</translation>
    </message>
    <message>
        <source>No volume allowance is set (Options, Volume Left).</source>
        <translation>Aucun forfait de volume n&apos;est défini (Options, Volume restant).</translation>
    </message>
    <message>
        <source>Volume allowance: %1 from %2 to %3</source>
        <translation>Forfait de volume : %1 du %2 au %3</translation>
    </message>
    <message>
        <source>, on %1</source>
        <translation>, sur %1</translation>
    </message>
    <message>
        <source>used:      %1</source>
        <translation>consommé : %1</translation>
    </message>
    <message>
        <source>left:      %1 (%2 %), %3</source>
        <translation>restant :  %1 (%2 %), %3</translation>
    </message>
    <message>
        <source>at this pace, %1 by %2</source>
        <translation>à ce rythme, %1 au %2</translation>
    </message>
    <message>
        <source>about %1 a day until %2</source>
        <translation>environ %1 par jour jusqu&apos;au %2</translation>
    </message>
    <message>
        <source>zovodazad: this traffic log has no per-adapter figures: %1</source>
        <translation>zovodazad : ce journal du trafic n&apos;a pas de chiffres par adaptateur : %1</translation>
    </message>
    <message>
        <source>zovodazad: no traffic is recorded for adapter &apos;%1&apos;; adapters with records: %2</source>
        <translation>zovodazad : aucun trafic n&apos;est enregistré pour l&apos;adaptateur « %1 » ; adaptateurs enregistrés : %2</translation>
    </message>
    <message>
        <source>none yet</source>
        <translation>aucun pour le moment</translation>
    </message>
    <message>
        <source>hour</source>
        <translation>heure</translation>
    </message>
    <message>
        <source>day</source>
        <translation>jour</translation>
    </message>
    <message>
        <source>week</source>
        <translation>semaine</translation>
    </message>
    <message>
        <source>month</source>
        <translation>mois</translation>
    </message>
    <message>
        <source>year</source>
        <translation>année</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Adapter rows</source>
        <translation>Lignes des adaptateurs</translation>
    </message>
</context>
<context>
    <name>StatsMain</name>
    <message>
        <source>The traffic log %1 cannot be opened:
%2</source>
        <translation>Impossible d&apos;ouvrir le journal du trafic %1 :
%2</translation>
    </message>
</context>
<context>
    <name>StatsProcess</name>
    <message>
        <source>The statistics window could not be started: %1 is missing.</source>
        <translation>La fenêtre des statistiques n&apos;a pas pu être lancée : %1 est introuvable.</translation>
    </message>
    <message>
        <source>The statistics window ended unexpectedly. The traffic is still being logged.</source>
        <translation>La fenêtre des statistiques s&apos;est fermée de façon inattendue. Le trafic continue d&apos;être consigné.</translation>
    </message>
    <message>
        <source>The statistics window could not be started:
%1</source>
        <translation>La fenêtre des statistiques n&apos;a pas pu être lancée :
%1</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>green</source>
        <translation>vert</translation>
    </message>
    <message>
        <source>orange</source>
        <translation>orange</translation>
    </message>
    <message>
        <source>red</source>
        <translation>rouge</translation>
    </message>
    <message>
        <source>used up</source>
        <translation>épuisé</translation>
    </message>
    <message>
        <source>download %1, upload %2</source>
        <translation>réception %1, envoi %2</translation>
    </message>
    <message>
        <source>since the last log row %1 received, %2 sent</source>
        <translation>depuis la dernière ligne du journal %1 reçus, %2 envoyés</translation>
    </message>
    <message>
        <source>allowance %1 (%2 %) left, %3</source>
        <translation>forfait %1 (%2 %) restants, %3</translation>
    </message>
    <message>
        <source>zovodazad: no running copy answers.</source>
        <translation>zovodazad : aucune copie en cours ne répond.</translation>
    </message>
    <message>
        <source>zovodazad: the running copy ended.</source>
        <translation>zovodazad : la copie en cours s&apos;est terminée.</translation>
    </message>
</context>
<context>
    <name>TrafficEngine</name>
    <message>
        <source>The traffic of the last run could not be logged yet:
%1</source>
        <translation>Le trafic de la dernière exécution n&apos;a pas encore pu être consigné :
%1</translation>
    </message>
    <message>
        <source>The settings could not be read; the defaults are used.
%1</source>
        <translation>Les réglages n&apos;ont pas pu être lus ; les valeurs par défaut sont utilisées.
%1</translation>
    </message>
</context>
<context>
    <name>VolumeLeft</name>
    <message>
        <source>MB left unknown (log unreadable).</source>
        <translation>MB restants inconnus (journal illisible).</translation>
    </message>
    <message>
        <source>%1 MB Left.</source>
        <translation>%1 MB restants.</translation>
    </message>
    <message>
        <source>%1 MB (%2 %) Left.</source>
        <translation>%1 MB (%2 %) restants.</translation>
    </message>
    <message>
        <source>Est. %1, %2/day</source>
        <translation>Prév. %1, %2/jour</translation>
    </message>
    <message>
        <source>At this pace, %1 by %2; about %3 a day until then.</source>
        <translation>À ce rythme, %1 au %2 ; environ %3 par jour d&apos;ici là.</translation>
    </message>
</context>
<context>
    <name>Zovodazad</name>
    <message>
        <source>Zovodazad is already running.</source>
        <translation>Zovodazad tourne déjà.</translation>
    </message>
</context>
</TS>
