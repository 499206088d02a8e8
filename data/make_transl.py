#!/usr/bin/env python3
"""Writes transl.dat: the number of languages, then one line per language for
every entry (English, Spanish, French, German, Russian), UTF-8 with CR LF."""
import pathlib

ENTRIES = [
    # Entry 0: the languages' own names; entry 1: the shortcut's base name.
    ("English", "Español", "Français", "Deutsch", "Русский"),
    ("Download the archiver", "Descargar el archivador", "Télécharger l'archiveur",
     "Archivierer herunterladen", "Скачать архиватор"),
    # Monetize job and main window.
    ("Save Monetized Archive As...", "Guardar archivo monetizado como...",
     "Enregistrer l'archive monétisée sous...", "Monetarisiertes Archiv speichern unter...",
     "Сохранить монетизированный архив как..."),
    ("Password...", "Contraseña...", "Mot de passe...", "Kennwort...", "Пароль..."),
    ("File", "Archivo", "Fichier", "Datei", "Файл"),
    ("Monetize!", "¡Monetizar!", "Monétiser !", "Monetarisieren!", "Монетизировать!"),
    ("Exit", "Salir", "Quitter", "Beenden", "Выход"),
    ("Settings", "Configuración", "Paramètres", "Einstellungen", "Настройки"),
    ("Set Password...", "Establecer contraseña...", "Définir le mot de passe...",
     "Kennwort festlegen...", "Задать пароль..."),
    ("Help", "Ayuda", "Aide", "Hilfe", "Справка"),
    ("Home Page", "Página principal", "Page d'accueil", "Startseite", "Домашняя страница"),
    ("About...", "Acerca de...", "À propos...", "Info...", "О программе..."),
    ("Video Tutorial", "Videotutorial", "Tutoriel vidéo", "Video-Anleitung", "Видеоурок"),
    ("Select a folder in the tree. On the right list you will see the files ready for monetization.",
     "Seleccione una carpeta en el árbol. En la lista de la derecha verá los archivos listos para monetizar.",
     "Sélectionnez un dossier dans l'arborescence. La liste de droite affiche les fichiers prêts à être monétisés.",
     "Wählen Sie links einen Ordner. Rechts sehen Sie die Dateien, die monetarisiert werden können.",
     "Выберите папку в дереве. В списке справа появятся файлы, готовые к монетизации."),
    ("Selected folder with files", "Carpeta seleccionada con archivos",
     "Dossier sélectionné avec les fichiers", "Ausgewählter Ordner mit Dateien",
     "Выбранная папка с файлами"),
    ("Enter Password:", "Introduzca la contraseña:", "Saisissez le mot de passe :",
     "Kennwort eingeben:", "Введите пароль:"),
    ("Re-enter Password:", "Repita la contraseña:", "Saisissez à nouveau le mot de passe :",
     "Kennwort wiederholen:", "Повторите пароль:"),
    ("Security Encryption...", "Cifrado de seguridad...", "Chiffrement de sécurité...",
     "Sicherheitsverschlüsselung...", "Защитное шифрование..."),
    ("Verify Password...", "Verificar contraseña...", "Vérifier le mot de passe...",
     "Kennwort bestätigen...", "Подтверждение пароля..."),
    # Main window: the box after two different password entries (its line
    # breaks are CRs inside the line, as the window's key has them).
    ("Password verification failed.\r\rPlease retry...",
     "Error al verificar la contraseña.\r\rVuelva a intentarlo...",
     "La vérification du mot de passe a échoué.\r\rVeuillez réessayer...",
     "Die Kennwortbestätigung ist fehlgeschlagen.\r\rBitte versuchen Sie es erneut...",
     "Пароли не совпадают.\r\rПопробуйте ещё раз..."),
    # Progress window.
    ("Progrgess", "Progreso", "Progression", "Fortschritt", "Ход выполнения"),
    ("The files are monetizing. Please wait...", "Se están monetizando los archivos. Espere, por favor...",
     "Les fichiers sont en cours de monétisation. Veuillez patienter...",
     "Die Dateien werden monetarisiert. Bitte warten...",
     "Файлы монетизируются. Пожалуйста, подождите..."),
    ("Step 1. Creating BH archive and referral link", "Paso 1. Creando el archivo BH y el enlace de referido",
     "Étape 1. Création de l'archive BH et du lien de parrainage",
     "Schritt 1. BH-Archiv und Partnerlink werden erstellt",
     "Шаг 1. Создание архива BH и партнёрской ссылки"),
    ("Step 2. Compressing in ZIP format", "Paso 2. Comprimiendo en formato ZIP",
     "Étape 2. Compression au format ZIP", "Schritt 2. Komprimieren im ZIP-Format",
     "Шаг 2. Сжатие в формат ZIP"),
    ("Abort", "Cancelar", "Abandonner", "Abbrechen", "Прервать"),
    # Sign-up window.
    ("Welcome!", "¡Bienvenido!", "Bienvenue !", "Willkommen!", "Добро пожаловать!"),
    ("Have you received email from Quorvel with your Affiliate ID and Software ID? If so, please enter that information below.",
     "¿Ha recibido el correo de Quorvel con su Affiliate ID y su Software ID? Si es así, introdúzcalos abajo.",
     "Avez-vous reçu l'e-mail de Quorvel avec votre Affiliate ID et votre Software ID ? Si oui, saisissez-les ci-dessous.",
     "Haben Sie die E-Mail von Quorvel mit Ihrer Affiliate ID und Software ID erhalten? Dann geben Sie diese bitte unten ein.",
     "Вы получили письмо от Quorvel с вашими Affiliate ID и Software ID? Если да, введите их ниже."),
    ("<< Return to Signup page", "<< Volver a la página de registro", "<< Retour à la page d'inscription",
     "<< Zurück zur Anmeldeseite", "<< Вернуться к регистрации"),
    ("Save Changes", "Guardar cambios", "Enregistrer les modifications", "Änderungen speichern",
     "Сохранить изменения"),
    ('Before to start monetization, you need to signup first. Please enter the information about you and your main website, then click "Signup!".',
     'Antes de empezar a monetizar debe registrarse. Introduzca sus datos y los de su sitio web principal y pulse "¡Registrarse!".',
     'Avant de monétiser, vous devez vous inscrire. Saisissez vos informations et celles de votre site principal, puis cliquez sur "S\'inscrire !".',
     'Bevor Sie monetarisieren, müssen Sie sich anmelden. Geben Sie Ihre Daten und Ihre Hauptwebsite ein und klicken Sie auf "Anmelden!".',
     'Перед началом монетизации нужно зарегистрироваться. Введите сведения о себе и своём основном сайте и нажмите "Зарегистрироваться!".'),
    ("Your name*:", "Su nombre*:", "Votre nom* :", "Ihr Name*:", "Ваше имя*:"),
    ("Your website:", "Su sitio web:", "Votre site web :", "Ihre Website:", "Ваш сайт:"),
    ("Your email*:", "Su correo*:", "Votre e-mail* :", "Ihre E-Mail*:", "Ваш e-mail*:"),
    ("If you will use monetized files on your website, please describe it. What kind of downloads are you providing? How many downloads per day?",
     "Si va a usar archivos monetizados en su sitio web, descríbalo. ¿Qué tipo de descargas ofrece? ¿Cuántas descargas al día?",
     "Si vous utiliserez des fichiers monétisés sur votre site, décrivez-le. Quel type de téléchargements proposez-vous ? Combien par jour ?",
     "Wenn Sie monetarisierte Dateien auf Ihrer Website anbieten, beschreiben Sie sie bitte. Welche Downloads bieten Sie an? Wie viele pro Tag?",
     "Если вы будете размещать монетизированные файлы на своём сайте, опишите его. Какие загрузки вы предлагаете? Сколько загрузок в день?"),
    ("I already have an account. Skip this step.", "Ya tengo una cuenta. Omitir este paso.",
     "J'ai déjà un compte. Passer cette étape.", "Ich habe bereits ein Konto. Diesen Schritt überspringen.",
     "У меня уже есть учётная запись. Пропустить этот шаг."),
    ("Sign up!", "¡Registrarse!", "S'inscrire !", "Anmelden!", "Зарегистрироваться!"),
    ("The most commonly used language of people who will download monetized files:",
     "Idioma más habitual de quienes descargarán los archivos monetizados:",
     "Langue la plus courante des personnes qui téléchargeront les fichiers monétisés :",
     "Häufigste Sprache der Personen, die die monetarisierten Dateien herunterladen:",
     "Основной язык тех, кто будет скачивать монетизированные файлы:"),
    ("Click here to watch tutorial", "Haga clic aquí para ver el tutorial", "Cliquez ici pour voir le tutoriel",
     "Hier klicken, um die Anleitung anzusehen", "Нажмите здесь, чтобы посмотреть урок"),
    ("Please fillout all fields marked with *", "Rellene todos los campos marcados con *",
     "Veuillez remplir tous les champs marqués d'un *", "Bitte füllen Sie alle mit * markierten Felder aus",
     "Заполните все поля, отмеченные *"),
    # Sign-up window: the e-mail address refused beside its field.
    ("Please enter a valid email address, for example name@example.com.",
     "Introduzca una dirección de correo válida, por ejemplo nombre@ejemplo.com.",
     "Veuillez saisir une adresse e-mail valide, par exemple nom@exemple.com.",
     "Bitte geben Sie eine gültige E-Mail-Adresse ein, zum Beispiel name@beispiel.de.",
     "Введите правильный адрес e-mail, например name@example.com."),
    # Sign-up mail.
    ("Thank you for signup. You will receive email from Quorvel within the next few days.",
     "Gracias por registrarse. Recibirá un correo de Quorvel en los próximos días.",
     "Merci de votre inscription. Vous recevrez un e-mail de Quorvel dans les prochains jours.",
     "Danke für Ihre Anmeldung. Sie erhalten in den nächsten Tagen eine E-Mail von Quorvel.",
     "Спасибо за регистрацию. В ближайшие дни вы получите письмо от Quorvel."),
    ("The email will contain your account information, your AffiliateID and SoftwareID. After that, run this program again, and start monetizing your files!",
     "El correo contendrá los datos de su cuenta, su AffiliateID y su SoftwareID. Después, vuelva a abrir este programa y empiece a monetizar sus archivos.",
     "L'e-mail contiendra les informations de votre compte, votre AffiliateID et votre SoftwareID. Relancez ensuite ce programme et commencez à monétiser vos fichiers !",
     "Die E-Mail enthält Ihre Kontodaten, Ihre AffiliateID und SoftwareID. Starten Sie danach dieses Programm erneut und monetarisieren Sie Ihre Dateien!",
     "В письме будут данные вашей учётной записи, AffiliateID и SoftwareID. После этого снова запустите программу и начните монетизировать файлы!"),
    ("Could not send entered information.", "No se pudo enviar la información introducida.",
     "Impossible d'envoyer les informations saisies.", "Die eingegebenen Daten konnten nicht gesendet werden.",
     "Не удалось отправить введённые данные."),
    ("Please check your Internet connection.", "Compruebe su conexión a Internet.",
     "Vérifiez votre connexion Internet.", "Bitte prüfen Sie Ihre Internetverbindung.",
     "Проверьте подключение к Интернету."),
    # Update windows.
    ("Update Software", "Actualizar el programa", "Mettre à jour le logiciel", "Software aktualisieren",
     "Обновление программы"),
    ("Downloading new version. Please wait ...", "Descargando la nueva versión. Espere, por favor...",
     "Téléchargement de la nouvelle version. Veuillez patienter...",
     "Neue Version wird heruntergeladen. Bitte warten ...", "Загрузка новой версии. Пожалуйста, подождите..."),
    ("The new version is available. Update now?", "Hay una nueva versión. ¿Actualizar ahora?",
     "Une nouvelle version est disponible. Mettre à jour maintenant ?",
     "Eine neue Version ist verfügbar. Jetzt aktualisieren?", "Доступна новая версия. Обновить сейчас?"),
    # Desktop program: messages of the main window and the About window.
    ("%1 is not a folder.", "%1 no es una carpeta.", "%1 n'est pas un dossier.", "%1 ist kein Ordner.",
     "%1 не является папкой."),
    ("%1 files were left out of the archive.", "%1 archivos se dejaron fuera del archivo.",
     "%1 fichiers ont été laissés hors de l'archive.", "%1 Dateien wurden nicht ins Archiv aufgenommen.",
     "Файлов, не попавших в архив: %1."),
    ("Some files changed while they were packed.", "Algunos archivos cambiaron mientras se comprimían.",
     "Certains fichiers ont changé pendant leur compression.",
     "Einige Dateien haben sich beim Packen geändert.", "Некоторые файлы изменились во время упаковки."),
    ("Show characters", "Mostrar caracteres", "Afficher les caractères", "Zeichen anzeigen",
     "Показать символы"),
    ("Website:", "Sitio web:", "Site web :", "Website:", "Сайт:"),
    ("Support:", "Soporte:", "Assistance :", "Support:", "Поддержка:"),
    ("OK", "Aceptar", "OK", "OK", "ОК"),
    ("Copyright (C) 2026 Tolvane. All rights reserved.",
     "Copyright (C) 2026 Tolvane. Todos los derechos reservados.",
     "Copyright (C) 2026 Tolvane. Tous droits réservés.",
     "Copyright (C) 2026 Tolvane. Alle Rechte vorbehalten.",
     "Copyright (C) 2026 Tolvane. Все права защищены."),
    ("This program is protected by copyright law. Unauthorized reproduction or distribution of it, or of any part of it, may be prosecuted.",
     "Este programa está protegido por las leyes de derechos de autor. Su reproducción o distribución no autorizada, total o parcial, puede ser perseguida.",
     "Ce programme est protégé par le droit d'auteur. Toute reproduction ou diffusion non autorisée, totale ou partielle, peut faire l'objet de poursuites.",
     "Dieses Programm ist urheberrechtlich geschützt. Unerlaubte Vervielfältigung oder Verbreitung, auch in Teilen, kann verfolgt werden.",
     "Эта программа защищена авторским правом. Несанкционированное воспроизведение или распространение, полностью или частично, преследуется по закону."),
    # Counts: the English forms joined by "|" are the key; each language's text
    # has its own forms joined the same way (Russian: 1, 2-4, 5 and more).
    ("%1 file was left out of the archive.|%1 files were left out of the archive.",
     "%1 archivo quedó fuera del archivo comprimido.|%1 archivos quedaron fuera del archivo comprimido.",
     "%1 fichier a été laissé hors de l'archive.|%1 fichiers ont été laissés hors de l'archive.",
     "%1 Datei wurde nicht ins Archiv aufgenommen.|%1 Dateien wurden nicht ins Archiv aufgenommen.",
     "%1 файл не попал в архив.|%1 файла не попали в архив.|%1 файлов не попали в архив."),
    # Desktop program: the update window after a failed download.
    ("Close", "Cerrar", "Fermer", "Schließen", "Закрыть"),
    ("The download failed: %1", "La descarga ha fallado: %1", "Le téléchargement a échoué : %1",
     "Der Download ist fehlgeschlagen: %1", "Не удалось загрузить: %1"),

]


def main():
    lines = ["5"]
    for entry in ENTRIES:
        assert len(entry) == 5, entry[0]
        assert not any("\n" in text for text in entry), entry[0]
        lines.extend(entry)
    out = pathlib.Path(__file__).with_name("transl.dat")
    out.write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-8"))
    print(f"{out}: {len(ENTRIES)} entries")


if __name__ == "__main__":
    main()
